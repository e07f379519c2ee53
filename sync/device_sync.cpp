#include "sync/device_sync.h"

#include <exception>
#include <optional>

#include "link/command_keys.h"
#include "sync/sequences.h"
#include "sync/sync_texts.h"

namespace blx52 {

namespace {

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string name(std::string_view control) {
    return std::string(control);
}

void sendLine(DeviceLink& link, const std::string& line) {
    link.Exchange(line, static_cast<int>(line.size()));
}

// The device's confirmation of a set command.
constexpr std::string_view WriteReply = "OK";

// A reply in a message: control characters would garble the status bar.
QString shownReply(const std::string& reply) {
    QString text = replyText(reply);
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'?';
    }
    return text;
}

// A failure to open or set up the port sends nothing; any later one comes after (part of) the
// line went out.
QString linkFailureReason(std::int32_t code) {
    if (code == link_code::NoAnswer)
        return utf8(sync_text::NoReply);
    if (code == link_code::BrokenReply)
        return utf8(sync_text::BrokenReply);
    return utf8(sync_text::PortFailure).arg(code);
}

QString replyFaultReason(ReplyFault fault, const std::string& reply) {
    switch (fault) {
        case ReplyFault::NotANumber:
            return utf8(sync_text::ReplyNotANumber).arg(shownReply(reply));
        case ReplyFault::TooLong:
            return utf8(sync_text::ReplyTooLong).arg(shownReply(reply));
        case ReplyFault::OutOfRange:
            return utf8(sync_text::ReplyOutOfRange).arg(shownReply(reply));
        case ReplyFault::None:
            break;
    }
    return {};
}

QString linkFailureLogReason(std::int32_t code) {
    if (code == link_code::NoAnswer)
        return QStringLiteral("no answer");
    if (code == link_code::BrokenReply)
        return QStringLiteral("broken reply");
    return QStringLiteral("port failure (link code %1)").arg(code);
}

QString replyFaultLogReason(ReplyFault fault, const std::string& reply) {
    switch (fault) {
        case ReplyFault::NotANumber:
            return QStringLiteral("reply '%1' is not a number").arg(shownReply(reply));
        case ReplyFault::TooLong:
            return QStringLiteral("reply '%1' is too long").arg(shownReply(reply));
        case ReplyFault::OutOfRange:
            return QStringLiteral("reply '%1' is out of range").arg(shownReply(reply));
        case ReplyFault::None:
            break;
    }
    return {};
}

}  // namespace

void DeviceSync::begin(const QString& operation) {
    if (log_ != nullptr)
        log_->beginOperation(operation);
}

void DeviceSync::end(const QString& outcome) {
    lastOutcomeText_ = outcome;
    if (log_ != nullptr)
        log_->endOperation(outcome);
}

void DeviceSync::warnIfNoAnswer() {
    if (link_.LinkErrorCode != link_code::NoAnswer)
        return;
    view_.beep();
    view_.warningOk(utf8(sync_text::NoAnswer));
}

// Read and Write: pending colour and the warning on every click; OK starts the operation through
// its trigger memo, Cancel leaves the memo idle. True when the user chose OK.
bool DeviceSync::confirmAndTrigger(std::string_view strip, std::string_view trigger,
                                   const QString& startText) {
    view_.setStrip(name(strip), Strip::Fuchsia);
    view_.setPortWarningShown();
    const bool ok = view_.warningOkCancel(utf8(sync_text::PortWarning));
    view_.setTriggerText(name(trigger), ok ? startText : QStringLiteral("0"));
    return ok;
}

void DeviceSync::readClick() {
    if (!confirmAndTrigger(ReadStrip, ReadTriggerMemo, QStringLiteral("5")))
        view_.setStrip(name(ReadStrip), Strip::ButtonFace);
}

void DeviceSync::readTriggerChanged(const QString& text) {
    if (text != QStringLiteral("5"))
        return;
    view_.setStrip(name(ReadStrip), Strip::Fuchsia);
    view_.beginBusy();
    begin(QStringLiteral("read"));
    const int total = static_cast<int>(readSequence().size());

    // The read stops at its first failed step: a value that did not come whole from the device
    // for exactly this setting must not reach the window (a late, cut or over-long reply
    // belongs to another command or to none).
    Outcome outcome;
    std::exception_ptr failure;
    std::optional<Stop> stop;
    QString failedAt;
    for (const ReadStep& step : readSequence()) {
        const QString where =
            step.setting ? settingName(*step.setting) : utf8(sync_text::FirmwareName);
        if (stopRequested()) {
            stop = Stop{where, utf8(sync_text::Interrupted), QStringLiteral("stopped by the user")};
            break;
        }
        sendLine(link_, step.key);
        if (link_.LinkErrorCode != link_code::Ok) {
            stop = Stop{where, linkFailureReason(link_.LinkErrorCode),
                        linkFailureLogReason(link_.LinkErrorCode)};
        } else if (step.setting == nullptr) {
            view_.setStatusPanel(FirmwarePanel,
                                 utf8(sync_text::FirmwarePrefix) + replyText(link_.LastReply));
        } else if (const ReplyFault fault = checkReply(*step.setting, link_.LastReply);
                   fault != ReplyFault::None) {
            stop = Stop{where, replyFaultReason(fault, link_.LastReply),
                        replyFaultLogReason(fault, link_.LastReply)};
        } else {
            try {
                view_.storeReply(*step.setting, replyText(link_.LastReply));
            } catch (...) {
                failure = std::current_exception();
                failedAt = where;
            }
        }
        ++outcome.steps;
        if (!stop && !failure)
            ++outcome.successes;
        view_.setProgress(outcome.steps);
        if (stop || failure)
            break;
    }

    view_.setProgress(0);
    view_.endBusy();
    view_.setTriggerText(name(ReadTriggerMemo), QStringLiteral("0"));
    lastRead_ = outcome;
    if (failure) {
        end(QStringLiteral("Read stopped at %1: the window refused the value (%2 of %3 read)")
                .arg(failedAt)
                .arg(outcome.successes)
                .arg(total));
        std::rethrow_exception(failure);
    }
    if (stop) {
        end(QStringLiteral("Read stopped at %1: %2 (%3 of %4 read)")
                .arg(stop->where, stop->logReason)
                .arg(outcome.successes)
                .arg(total));
    } else {
        end(QStringLiteral("Read %1 of %2 settings").arg(outcome.successes).arg(total));
    }

    if (stop) {
        // The strip stays fuchsia; the status bar says where it stopped, the box why.
        const QString line = utf8(sync_text::ReadStopped).arg(stop->where, stop->reason);
        view_.setStatusPanel(MessagePanel, line);
        if (link_.LinkErrorCode == link_code::NoAnswer) {
            warnIfNoAnswer();
        } else {
            view_.warningOk(line + QStringLiteral("\n\n") + utf8(sync_text::ReadRestUnchanged));
        }
        return;
    }
    view_.setStatusPanel(MessagePanel,
                         utf8(sync_text::ReceivedSettings) + QString::number(outcome.successes));
    view_.setStrip(name(ReadStrip), Strip::Lime);
}

void DeviceSync::writeClick() {
    if (!confirmAndTrigger(WriteStrip, WriteTriggerMemo, QStringLiteral("2")))
        view_.setStrip(name(WriteStrip), view_.settingsChanged() ? Strip::Blue : Strip::ButtonFace);
}

void DeviceSync::writeTriggerChanged(const QString& text) {
    if (text != QStringLiteral("2"))
        return;

    // Every line is checked before the first one goes out, so that a refused value leaves the
    // device untouched rather than half written.
    std::vector<std::string> lines;
    const QString refusal = composeWrite(view_, lines);
    if (!refusal.isEmpty()) {
        begin(QStringLiteral("write"));
        end(QStringLiteral("Write refused before sending: %1")
                .arg(QString(refusal).replace(u'\n', u' ').simplified()));
        view_.setTriggerText(name(WriteTriggerMemo), QStringLiteral("0"));
        view_.errorOk(refusal);
        view_.setSettingsChanged(true);
        view_.setStrip(name(WriteStrip), Strip::Blue);
        return;
    }

    // The write stops at the first entry the device did not confirm with "OK": sending on would
    // only spread a fault (a port gone, a device out of step) over more settings.
    Outcome outcome;
    std::optional<Stop> stop;
    view_.setStrip(name(WriteStrip), Strip::Fuchsia);
    view_.beginBusy();
    begin(QStringLiteral("write"));
    // Whether the line of the entry where the write stopped went out: then the device may hold
    // it although it did not confirm it.
    bool stopLineSent = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const WriteEntry& entry = writeSequence()[i];
        const QString where =
            entry.setting ? settingName(*entry.setting) : utf8(sync_text::WriteFlagName);
        if (stopRequested()) {
            stop = Stop{where, utf8(sync_text::Interrupted), QStringLiteral("stopped by the user")};
            stopLineSent = false;
            break;
        }
        ++outcome.steps;
        sendLine(link_, lines[i]);
        stopLineSent = link_.lineWentOut();
        if (link_.LinkErrorCode != link_code::Ok) {
            stop = Stop{where, linkFailureReason(link_.LinkErrorCode),
                        linkFailureLogReason(link_.LinkErrorCode)};
        } else if (link_.LastReply != WriteReply) {
            stop =
                Stop{where, utf8(sync_text::ReplyNotOk).arg(shownReply(link_.LastReply)),
                     QStringLiteral("reply '%1' instead of OK").arg(shownReply(link_.LastReply))};
        } else {
            ++outcome.successes;
        }
        view_.setProgress(outcome.steps);
        if (stop)
            break;
    }
    view_.setProgress(0);
    view_.endBusy();
    view_.setTriggerText(name(WriteTriggerMemo), QStringLiteral("0"));
    lastWrite_ = outcome;
    if (stop) {
        end(QStringLiteral("Write stopped at %1: %2 (%3 of %4 sent)")
                .arg(stop->where, stop->logReason)
                .arg(outcome.successes)
                .arg(static_cast<qulonglong>(lines.size())));
    } else {
        end(QStringLiteral("Wrote %1 of %2 settings")
                .arg(outcome.successes)
                .arg(static_cast<qulonglong>(lines.size())));
    }

    if (!stop) {
        view_.setSettingsChanged(false);
        view_.setStatusPanel(MessagePanel, utf8(sync_text::TransmittedSettings) +
                                               QString::number(outcome.successes));
        view_.setStrip(name(WriteStrip), Strip::Lime);
        return;
    }
    // SettingsChanged stays as it was: what the window holds is still not (all) on the device.
    const QString line = utf8(sync_text::WriteStopped).arg(stop->where, stop->reason);
    view_.setStatusPanel(MessagePanel, line);
    warnIfNoAnswer();
    const int stopEntry = outcome.successes;  // counted from 0
    const QString stopName = stop->where;
    if (stopLineSent && stopEntry > 0) {
        view_.warningOk(line + QStringLiteral("\n\n") +
                        utf8(sync_text::WriteUnconfirmed)
                            .arg(outcome.successes)
                            .arg(static_cast<qulonglong>(lines.size()))
                            .arg(stopEntry + 1)
                            .arg(stopName));
    } else if (outcome.successes > 0) {
        view_.warningOk(line + QStringLiteral("\n\n") +
                        utf8(sync_text::WritePartlySent)
                            .arg(outcome.successes)
                            .arg(static_cast<qulonglong>(lines.size())));
    } else if (stopLineSent && link_.LinkErrorCode != link_code::NoAnswer) {
        view_.warningOk(line + QStringLiteral("\n\n") +
                        utf8(sync_text::WriteFirstUnconfirmed).arg(stopName));
    } else if (link_.LinkErrorCode != link_code::NoAnswer) {
        view_.warningOk(line + QStringLiteral("\n\n") + utf8(sync_text::WriteNothingSent));
    }
    view_.setStrip(name(WriteStrip), Strip::Red);
}

void DeviceSync::inputTestClick(int input) {
    const auto index = static_cast<std::size_t>(input);
    if (!view_.portWarningShown()) {
        view_.setPortWarningShown();
        if (!view_.warningOkCancel(utf8(sync_text::PortWarning)))
            return;
    }
    bool& on = inputTestOn_.at(index);
    on = !on;
    view_.setStrip(name(InputTestStrips.at(index)), on ? Strip::Lime : Strip::Red);
    begin(QStringLiteral("input test"));
    sendLine(link_, testOutputKey(input, on));
    const QString what =
        QStringLiteral("Test output of input %1 %2").arg(input).arg(on ? "on" : "off");
    if (link_.LinkErrorCode != link_code::Ok) {
        end(what + QStringLiteral(": ") + linkFailureLogReason(link_.LinkErrorCode));
    } else if (link_.LastReply != WriteReply) {
        end(what + QStringLiteral(": reply '%1' instead of OK").arg(shownReply(link_.LastReply)));
    } else {
        end(what);
    }
    warnIfNoAnswer();
}

}  // namespace blx52
