#include "ui/compare_dialog.h"
#include "ui/help_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace blx52 {

CompareDialog::CompareDialog(DeviceComparison comparison,
                             std::function<void(const DeviceComparison&)> take, QWidget* owner)
    : QDialog(owner), comparison_(std::move(comparison)), take_(std::move(take)) {
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(QStringLiteral("Compare with device"));
    resize(560, 420);
    installHelpKey(this, QStringLiteral("comparing-with-the-device"));

    summary_ = new QLabel(comparisonSummary(comparison_), this);
    summary_->setObjectName(QStringLiteral("CompareSummary"));
    summary_->setWordWrap(true);

    table_ = new QTableWidget(static_cast<int>(comparison_.differences.size()), 3, this);
    table_->setObjectName(QStringLiteral("CompareTable"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Setting"), QStringLiteral("Window"), QStringLiteral("Device")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    int row = 0;
    for (const SettingDifference& d : comparison_.differences) {
        table_->setItem(row, 0, new QTableWidgetItem(d.name));
        table_->setItem(row, 1, new QTableWidgetItem(d.windowValue));
        table_->setItem(row, 2, new QTableWidgetItem(d.deviceValue));
        ++row;
    }
    table_->setVisible(!comparison_.differences.empty());

    auto* takeButton = new QPushButton(QStringLiteral("Take device values"), this);
    takeButton->setObjectName(QStringLiteral("TakeDeviceValues"));
    takeButton->setEnabled(!comparison_.differences.empty());
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseCompare"));
    close->setDefault(true);
    takeButton->setToolTip(
        QStringLiteral("Puts the device's values into the window, as a read would"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(takeButton, &QPushButton::clicked, this, [this] {
        if (take_)
            take_(comparison_);
        accept();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(takeButton);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
}

QString CompareDialog::summary() const {
    return summary_->text();
}

}  // namespace blx52
