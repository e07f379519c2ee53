#pragma once

#include <QWidget>
#include <functional>

#include "sync/exchange_log.h"

class QTableView;
class QTimer;

namespace blx52 {

class ExchangeLogModel;
class PanelHistoryModel;

// The exchange log window: every exchange and every operation's outcome, and what the status
// bar panels showed. It follows the log only while it is shown.
class ExchangeLogWindow final : public QWidget {
    Q_OBJECT
  public:
    ExchangeLogWindow(ExchangeLog& log, QWidget* owner);
    ~ExchangeLogWindow() override;

    // Asks for the file "Save as text…" writes; an empty name cancels. The default shows the
    // toolkit's file dialog.
    using FileNameChooser = std::function<QString()>;
    void setFileNameChooser(FileNameChooser chooser) { chooseFile_ = std::move(chooser); }
    // Where a failed save is told.
    void setErrorSink(std::function<void(const QString&)> sink) { error_ = std::move(sink); }

    // The rows as text, one logLine() each: the selected ones, or all when none is selected.
    QString rowsText() const;
    bool saveText(const QString& path);

    QTableView* view() const { return view_; }
    QTableView* panelView() const { return panels_; }
    // Brings the view up to the log now, instead of at the next turn of the event loop.
    void refresh();

  public slots:
    void copyRows();
    void saveAsText();
    void clearLog();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    ExchangeLog& log_;
    ExchangeLogModel* model_;
    PanelHistoryModel* panelModel_;
    QTableView* view_;
    QTableView* panels_;
    QTimer* pending_;
    bool following_ = true;  // the view sticks to the newest row
    FileNameChooser chooseFile_;
    std::function<void(const QString&)> error_;
};

}  // namespace blx52
