#include "sync/exchange_log.h"

#include <QDateTime>

#include "link/escaped_text.h"

namespace blx52 {

namespace {

constexpr int MessagePanel = 3;
constexpr int NumberPanel = 4;
// A picture command: its 12-character key, then the binary plane data.
constexpr std::size_t PictureKeyLength = 12;
constexpr std::size_t PictureDataLength = 512;

QString utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString quoted(const QString& text) {
    return u'"' +
           QString(text)
               .replace(u'\\', QStringLiteral("\\\\"))
               .replace(u'"', QStringLiteral("\\\"")) +
           u'"';
}

}  // namespace

ExchangeLog::~ExchangeLog() {
    detach();
}

void ExchangeLog::attach(DeviceLink& link) {
    detach();
    link_ = &link;
    link.setObserver(this);
}

void ExchangeLog::detach() {
    if (link_ != nullptr && link_->observer() == this)
        link_->setObserver(nullptr);
    link_ = nullptr;
}

void ExchangeLog::beginOperation(const QString& name) {
    if (depth_++ == 0)
        operation_ = name;
}

void ExchangeLog::endOperation(const QString& outcome) {
    // An operation within another (the read of a compare) leaves the telling to the outer one.
    if (depth_ > 1) {
        --depth_;
        return;
    }
    LogRow row;
    row.kind = LogRow::Kind::Outcome;
    row.time = QDateTime::currentMSecsSinceEpoch();
    row.operation = operation_;
    row.port = portName();
    row.outcome = outcome;
    add(std::move(row));
    depth_ = 0;
    operation_.clear();
}

void ExchangeLog::clear() {
    rows_.clear();
    panels_.clear();
    added_ = 0;
    ++clears_;
    firstFailure_.reset();
    if (changeHook_)
        changeHook_();
}

void ExchangeLog::recordPanel(int panel, const QString& text) {
    panels_.push_back({QDateTime::currentMSecsSinceEpoch(), panel, text});
    if (panels_.size() > PanelCapacity)
        panels_.pop_front();
    if (changeHook_)
        changeHook_();
}

void ExchangeLog::exchangeStarted() {
    current_ = {};
    current_.time = QDateTime::currentMSecsSinceEpoch();
    current_.operation = operation_;
    current_.port = portName();
}

QString ExchangeLog::portName() const {
    return link_ != nullptr ? QString::fromStdString(link_->PortName) : QString();
}

void ExchangeLog::statusWritten(int panel, const std::string& text) {
    current_.statusTexts.emplace_back(panel, text);
}

void ExchangeLog::exchangeDone(std::string_view sent, std::int32_t code, const std::string& reply) {
    current_.sent.assign(sent);
    current_.code = code;
    current_.reply = reply;
    if (current_.failed() && !firstFailure_)
        firstFailure_ = current_;
    add(std::move(current_));
    current_ = {};
}

void ExchangeLog::add(LogRow row) {
    rows_.push_back(std::move(row));
    if (rows_.size() > Capacity)
        rows_.pop_front();
    ++added_;
    if (rowHook_)
        rowHook_(rows_.back());
    if (changeHook_)
        changeHook_();
}

QString printableLine(const std::string& bytes) {
    if (bytes.size() == PictureKeyLength + PictureDataLength && bytes.compare(0, 3, "set") == 0) {
        return QString::fromStdString(escapedText(bytes.substr(0, PictureKeyLength), "\\\"")) +
               QStringLiteral(" + %1 picture bytes").arg(bytes.size() - PictureKeyLength);
    }
    return QString::fromStdString(escapedText(bytes, "\\\""));
}

QString logTime(qint64 time) {
    return QDateTime::fromMSecsSinceEpoch(time).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString statusTextsLine(const LogRow& row) {
    QStringList parts;
    for (const auto& [panel, text] : row.statusTexts)
        parts << QStringLiteral("[%1] ").arg(panel) + quoted(utf8(text));
    return parts.join(u' ');
}

QString logLine(const LogRow& row) {
    const QString time = QDateTime::fromMSecsSinceEpoch(row.time).toString(Qt::ISODateWithMs);
    // The port tells the devices of a batch apart in one file.
    const QString where = row.port.isEmpty() ? time : time + u' ' + row.port;
    const QString operation = row.operation.isEmpty() ? QStringLiteral("-") : row.operation;
    if (row.kind == LogRow::Kind::Outcome)
        return QStringLiteral("%1 %2: %3").arg(where, operation, row.outcome);
    QString line = QStringLiteral("%1 %2 sent \"%3\" reply \"%4\" code %5")
                       .arg(where, operation, printableLine(row.sent), printableLine(row.reply))
                       .arg(row.code);
    if (!row.statusTexts.empty())
        line += u' ' + statusTextsLine(row);
    return line;
}

QString linkFailureText(const LogRow& row) {
    QStringList parts;
    QString message;
    for (const auto& [panel, text] : row.statusTexts) {
        const QString t = utf8(text).trimmed();
        if (panel == MessagePanel) {
            message = t;
        } else if (panel == NumberPanel) {
            parts << QStringLiteral("%1 (%2)").arg(message, t);
            message.clear();
        }
    }
    if (row.code == link_code::NoAnswer)
        parts << QStringLiteral("no answer from the device (link code %1)").arg(row.code);
    if (parts.isEmpty())
        parts << QStringLiteral("link code %1").arg(row.code);
    return parts.join(QStringLiteral("; "));
}

}  // namespace blx52
