#pragma once

#include <QAbstractTableModel>
#include <cstdint>

#include "sync/exchange_log.h"

namespace blx52 {

// The exchange log as a table for a view: time, operation, line sent (or the outcome), reply,
// code, status texts. It follows the log only when sync() is called, so a view that is not
// shown costs nothing; sync() tells the view only what came and went since the last one.
class ExchangeLogModel final : public QAbstractTableModel {
  public:
    enum Column { Time, Operation, Sent, Reply, Code, StatusTexts, ColumnCount };

    explicit ExchangeLogModel(const ExchangeLog& log, QObject* parent = nullptr)
        : QAbstractTableModel(parent), log_(log) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void sync();
    const LogRow& logRow(int row) const { return log_.row(static_cast<std::size_t>(row)); }

  private:
    const ExchangeLog& log_;
    int shown_ = 0;                 // rows the view knows
    std::uint64_t shownAdded_ = 0;  // the log's added() at the last sync
    std::uint64_t shownClears_ = 0;
};

// The status bar panels' texts as they were shown, newest last.
class PanelHistoryModel final : public QAbstractTableModel {
  public:
    explicit PanelHistoryModel(const ExchangeLog& log, QObject* parent = nullptr)
        : QAbstractTableModel(parent), log_(log) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void sync();

  private:
    const ExchangeLog& log_;
};

}  // namespace blx52
