#include "ui/exchange_log_window.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/exchange_log_model.h"
#include "ui/help_window.h"
#include "ui/file_dialogs.h"

namespace blx52 {

namespace {

QTableView* makeTable(QWidget* parent, const QString& name, QAbstractItemModel* model) {
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    // Fixed row heights: the view never measures 20,000 rows.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

}  // namespace

ExchangeLogWindow::ExchangeLogWindow(ExchangeLog& log, QWidget* owner)
    : QWidget(owner, Qt::Window),
      log_(log),
      model_(new ExchangeLogModel(log, this)),
      panelModel_(new PanelHistoryModel(log, this)),
      pending_(new QTimer(this)) {
    setObjectName(QStringLiteral("ExchangeLog"));
    setWindowTitle(QStringLiteral("Exchange log"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(900, 520);
    installHelpKey(this, QStringLiteral("the-exchange-log"));

    view_ = makeTable(this, QStringLiteral("ExchangeLogView"), model_);
    const QFontMetrics fm = view_->fontMetrics();
    view_->setColumnWidth(ExchangeLogModel::Time,
                          fm.horizontalAdvance(QStringLiteral("00:00:00.000")) + 24);
    view_->setColumnWidth(ExchangeLogModel::Operation,
                          fm.horizontalAdvance(QStringLiteral("picture send")) + 24);
    view_->setColumnWidth(ExchangeLogModel::Sent, fm.horizontalAdvance(QString(34, u'x')));
    view_->setColumnWidth(ExchangeLogModel::Reply, fm.horizontalAdvance(QString(10, u'x')));
    view_->setColumnWidth(ExchangeLogModel::Code,
                          fm.horizontalAdvance(QStringLiteral("Code")) + 16);
    panels_ = makeTable(this, QStringLiteral("PanelHistoryView"), panelModel_);
    panels_->setColumnWidth(0, fm.horizontalAdvance(QStringLiteral("00:00:00.000")) + 12);
    panels_->setColumnWidth(1, fm.horizontalAdvance(QStringLiteral("Panel")) + 16);

    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("CopyLog"));
    auto* save = new QPushButton(QStringLiteral("Save as text\u2026"), this);
    save->setObjectName(QStringLiteral("SaveLog"));
    auto* clear = new QPushButton(QStringLiteral("Clear"), this);
    clear->setObjectName(QStringLiteral("ClearLog"));
    copy->setToolTip(QStringLiteral("Copies the marked rows, or all, as text"));
    save->setToolTip(
        QStringLiteral("Saves the marked rows, or all, as the text blx52-cli --log writes"));
    clear->setToolTip(QStringLiteral("Empties the log"));
    connect(copy, &QPushButton::clicked, this, &ExchangeLogWindow::copyRows);
    connect(save, &QPushButton::clicked, this, &ExchangeLogWindow::saveAsText);
    connect(clear, &QPushButton::clicked, this, &ExchangeLogWindow::clearLog);

    auto* lower = new QWidget(this);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(new QLabel(QStringLiteral("What the status bar showed:"), lower));
    lowerLayout->addWidget(panels_);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(view_);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(save);
    buttons->addWidget(clear);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    layout->addLayout(buttons);

    // Many rows in a row (a read) are shown at once, at the next turn of the event loop.
    pending_->setSingleShot(true);
    pending_->setInterval(0);
    connect(pending_, &QTimer::timeout, this, &ExchangeLogWindow::refresh);
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { following_ = value == view_->verticalScrollBar()->maximum(); });
}

ExchangeLogWindow::~ExchangeLogWindow() {
    log_.setChangeHook({});
}

void ExchangeLogWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    log_.setChangeHook([this] {
        if (!pending_->isActive())
            pending_->start();
    });
    refresh();
}

void ExchangeLogWindow::hideEvent(QHideEvent* event) {
    // Nothing is drawn or followed while the window is closed; the log keeps recording.
    log_.setChangeHook({});
    pending_->stop();
    QWidget::hideEvent(event);
}

void ExchangeLogWindow::refresh() {
    pending_->stop();
    const bool follow = following_;
    model_->sync();
    panelModel_->sync();
    if (follow) {
        view_->scrollToBottom();
        following_ = true;
    }
    panels_->scrollToBottom();
}

QString ExchangeLogWindow::rowsText() const {
    QStringList lines;
    const QModelIndexList selected = view_->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        for (std::size_t i = 0; i < log_.size(); ++i)
            lines << logLine(log_.row(i));
    } else {
        QList<int> rows;
        for (const QModelIndex& index : selected)
            rows << index.row();
        std::sort(rows.begin(), rows.end());
        for (int row : rows) {
            if (row < static_cast<int>(log_.size()))
                lines << logLine(model_->logRow(row));
        }
    }
    return lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n';
}

void ExchangeLogWindow::copyRows() {
    refresh();
    QApplication::clipboard()->setText(rowsText());
}

bool ExchangeLogWindow::saveText(const QString& path) {
    const QByteArray text = rowsText().toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error_)
            error_(QStringLiteral("Cannot write %1:\n%2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

void ExchangeLogWindow::saveAsText() {
    refresh();
    view_->clearSelection();
    const QString path =
        chooseFile_
            ? chooseFile_()
            : chooseFileName(this, FileKind::Log, true, QStringLiteral("Save the exchange log"),
                             QStringLiteral("Text files (*.txt);;All files (*)"));
    if (!path.isEmpty())
        saveText(path);
}

void ExchangeLogWindow::clearLog() {
    log_.clear();
    refresh();
}

}  // namespace blx52
