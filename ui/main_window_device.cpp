// The main window's Device menu: read and write, the exchange log, compare with the device, verify
// after write, the ports.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>

#include "sync/device_compare.h"
#include "sync/device_sync.h"
#include "sync/sequences.h"
#include "ui/busy_cursor.h"
#include "ui/compare_dialog.h"
#include "ui/exchange_log_window.h"
#include "ui/main_window.h"
#include "ui/ports_dialog.h"
#include "ui/window_size.h"

namespace blx52 {

void TForm1::buildDeviceMenu(QMenu* device) {
    // The connection panel's Read and Write, warning included, from the keyboard. Ctrl+Shift
    // with R and W is taken by no standard key (Ctrl+R is Refresh, Ctrl+W Close).
    QAction* read = device->addAction(QStringLiteral("Read settings"));
    read->setObjectName(QStringLiteral("ReadSettings1"));
    read->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    read->setToolTip(QStringLiteral("Reads all 89 settings from the device on the chosen port"));
    connect(read, &QAction::triggered, this, &TForm1::Button1Click);
    QAction* write = device->addAction(QStringLiteral("Write settings"));
    write->setObjectName(QStringLiteral("WriteSettings1"));
    write->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    write->setToolTip(QStringLiteral("Writes all 89 settings to the device on the chosen port"));
    connect(write, &QAction::triggered, this, &TForm1::Button2Click);
    device->addSeparator();
    QAction* log = device->addAction(QStringLiteral("Exchange log\u2026"));
    log->setObjectName(QStringLiteral("ExchangeLog1"));
    log->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    log->setToolTip(QStringLiteral("Shows every exchange with the device and its outcome"));
    connect(log, &QAction::triggered, this, &TForm1::ExchangeLog1Click);
    QAction* compare = device->addAction(QStringLiteral("Compare with device\u2026"));
    compare->setObjectName(QStringLiteral("CompareWithDevice1"));
    compare->setToolTip(
        QStringLiteral("Reads the device and lists where it differs from the window"));
    connect(compare, &QAction::triggered, this, &TForm1::CompareWithDevice1Click);
    QAction* verify = device->addAction(QStringLiteral("Verify after write"));
    verify->setObjectName(QStringLiteral("VerifyAfterWrite1"));
    verify->setCheckable(true);
    verify->setChecked(false);
    verify->setToolTip(QStringLiteral("After each write, reads the device back and compares"));
    QAction* preview = device->addAction(QStringLiteral("Preview\u2026"));
    preview->setObjectName(QStringLiteral("Preview1"));
    preview->setShortcut(QKeySequence(Qt::Key_F9));
    preview->setToolTip(
        QStringLiteral("Shows and plays what the device does with these settings and pictures"));
    connect(preview, &QAction::triggered, this, &TForm1::Preview1Click);
}

ExchangeLogWindow* TForm1::exchangeLogWindow() const {
    return logWindow_;
}

CompareDialog* TForm1::compareDialog() const {
    return compare_;
}

bool TForm1::verifyAfterWrite() const {
    const auto* verify = findChild<QAction*>(QStringLiteral("VerifyAfterWrite1"));
    return verify != nullptr && verify->isChecked();
}

void TForm1::ExchangeLog1Click() {
    guard_.run([this] {
        if (!logWindow_) {
            logWindow_ = new ExchangeLogWindow(log_, this);
            logWindow_->setErrorSink([this](const QString& text) { dialogs_.errorOk(text); });
        }
        showInFront(*logWindow_);
    });
}

void TForm1::CompareWithDevice1Click() {
    guard_.run([this] { compareWithDevice(); });
}

void TForm1::compareWithDevice() {
    DeviceComparison comparison = [this] {
        const BusyCursor busy;
        return blx52::compareWithDevice(link_, &log_, syncView(), QStringLiteral("compare"));
    }();
    showComparison(std::move(comparison), QStringLiteral("Compare with device"));
}

void TForm1::showComparison(DeviceComparison comparison, const QString& title) {
    delete compare_;
    compare_ = new CompareDialog(
        std::move(comparison),
        [this](const DeviceComparison& c) { guard_.run([this, &c] { takeDeviceValues(c); }); },
        this);
    compare_->setWindowTitle(title);
    compare_->setAttribute(Qt::WA_DeleteOnClose);
    showInFront(*compare_);
}

void TForm1::takeDeviceValues(const DeviceComparison& comparison) {
    // Each value takes the road of a read's reply, so every control's own rule runs.
    const auto& settings = allSettings();
    for (int i = 0; i < SettingsStore::count(); ++i) {
        if (comparison.read[static_cast<std::size_t>(i)]) {
            storeReply(QString::fromStdString(settings[static_cast<std::size_t>(i)].readTarget()),
                       comparison.device.value(i));
        }
    }
}

void TForm1::verifyWrite() {
    DeviceComparison comparison = [this] {
        const BusyCursor busy;
        return blx52::compareWithDevice(link_, &log_, syncView(), QStringLiteral("verify"));
    }();
    if (comparison.complete && comparison.differences.empty())
        return;
    setStrip(QStringLiteral("Memo37"), clRed());
    showComparison(std::move(comparison), QStringLiteral("Verify after write"));
}

void TForm1::Ports1Click() {
    guard_.run([this] {
        if (portsDialog_ == nullptr) {
            // The dialog picks a name as the user does in the combo, so its rule runs.
            portsDialog_ = new PortsDialog(
                [this](int index) {
                    comboBox(QStringLiteral("ComboBox13"))->setCurrentIndex(index);
                },
                this);
        }
        portsDialog_->setCurrentName(comboBox(QStringLiteral("ComboBox13"))->currentIndex());
        showInFront(*portsDialog_);
    });
}

}  // namespace blx52
