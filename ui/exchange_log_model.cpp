#include "ui/exchange_log_model.h"

#include <QFont>

namespace blx52 {

int ExchangeLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int ExchangeLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ExchangeLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(log_.size()))
        return {};
    const LogRow& row = logRow(index.row());
    const bool outcome = row.kind == LogRow::Kind::Outcome;
    if (role == Qt::FontRole && outcome) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::ToolTipRole)
        return logLine(row);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
        case Time:
            return logTime(row.time);
        case Operation:
            return row.operation;
        case Sent:
            return outcome ? row.outcome : printableLine(row.sent);
        case Reply:
            return outcome ? QString() : printableLine(row.reply);
        case Code:
            return outcome ? QVariant() : QVariant(row.code);
        case StatusTexts:
            return statusTextsLine(row);
    }
    return {};
}

QVariant ExchangeLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const names[ColumnCount] = {"Time",  "Operation", "Sent / outcome",
                                                   "Reply", "Code",      "Status texts"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}

void ExchangeLogModel::sync() {
    const auto size = static_cast<int>(log_.size());
    const std::uint64_t added = log_.added();
    if (log_.clears() != shownClears_ || added - shownAdded_ >= static_cast<std::uint64_t>(size)) {
        // Cleared, or everything the view knows has left the ring.
        beginResetModel();
        shown_ = size;
        shownAdded_ = added;
        shownClears_ = log_.clears();
        endResetModel();
        return;
    }
    const int fresh = static_cast<int>(added - shownAdded_);
    const int gone = shown_ + fresh - size;  // pushed out of the ring at the front
    if (gone > 0) {
        beginRemoveRows({}, 0, gone - 1);
        shown_ -= gone;
        endRemoveRows();
    }
    if (fresh > 0) {
        beginInsertRows({}, shown_, shown_ + fresh - 1);
        shown_ += fresh;
        endInsertRows();
    }
    shownAdded_ = added;
}

int PanelHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(log_.panelHistory().size());
}

int PanelHistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant PanelHistoryModel::data(const QModelIndex& index, int role) const {
    const auto& history = log_.panelHistory();
    if (!index.isValid() || index.row() >= static_cast<int>(history.size()) ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const PanelEntry& e = history[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
        case 0:
            return logTime(e.time);
        case 1:
            return e.panel;
        case 2:
            return e.text;
    }
    return {};
}

QVariant PanelHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const names[] = {"Time", "Panel", "Text"};
    return section >= 0 && section < 3 ? QString::fromLatin1(names[section]) : QVariant();
}

void PanelHistoryModel::sync() {
    // A few thousand short rows at most; the window resets it only while it is shown.
    beginResetModel();
    endResetModel();
}

}  // namespace blx52
