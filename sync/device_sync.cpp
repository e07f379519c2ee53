#include "sync/device_sync.h"

#include <exception>

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

}  // namespace

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

    Outcome outcome;
    std::exception_ptr failure;
    for (const ReadStep& step : readSequence()) {
        sendLine(link_, step.key);
        // A failed exchange leaves an empty or partial reply; storing it would overwrite the
        // window's settings with "0" or make the landing memos fail.
        const bool ok = link_.LinkErrorCode == link_code::Ok;
        if (ok) {
            const QString reply = replyText(link_.LastReply);
            if (step.setting == nullptr) {
                view_.setStatusPanel(FirmwarePanel, utf8(sync_text::FirmwarePrefix) + reply);
            } else {
                try {
                    view_.storeReply(*step.setting, reply);
                } catch (...) {
                    failure = std::current_exception();
                    break;
                }
            }
            ++outcome.successes;
        }
        ++outcome.steps;
        view_.setProgress(outcome.steps);
    }

    view_.setProgress(0);
    view_.endBusy();
    view_.setTriggerText(name(ReadTriggerMemo), QStringLiteral("0"));
    lastRead_ = outcome;
    if (failure)
        std::rethrow_exception(failure);

    if (link_.LinkErrorCode != link_code::Ok) {
        // The link's own message stays in the status bar; the strip stays fuchsia.
        warnIfNoAnswer();
        return;
    }
    view_.setStatusPanel(MessagePanel,
                         utf8(sync_text::ReceivedSettings) + QString::number(outcome.successes));
    if (outcome.successes == static_cast<int>(readSequence().size())) {
        view_.setStrip(name(ReadStrip), Strip::Lime);
    }
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
        view_.setTriggerText(name(WriteTriggerMemo), QStringLiteral("0"));
        view_.errorOk(refusal);
        view_.setSettingsChanged(true);
        view_.setStrip(name(WriteStrip), Strip::Blue);
        return;
    }

    Outcome outcome;
    view_.setStrip(name(WriteStrip), Strip::Fuchsia);
    view_.beginBusy();
    for (const std::string& line : lines) {
        ++outcome.steps;
        sendLine(link_, line);
        if (link_.LinkErrorCode == link_code::Ok)
            ++outcome.successes;
        view_.setProgress(outcome.steps);
    }
    view_.setProgress(0);
    view_.endBusy();
    view_.setTriggerText(name(WriteTriggerMemo), QStringLiteral("0"));
    lastWrite_ = outcome;

    const bool complete = outcome.successes == static_cast<int>(lines.size());
    if (complete)
        view_.setSettingsChanged(false);
    view_.setStatusPanel(MessagePanel,
                         utf8(sync_text::TransmittedSettings) + QString::number(outcome.successes));
    warnIfNoAnswer();
    view_.setStrip(name(WriteStrip), complete ? Strip::Lime : Strip::Red);
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
    sendLine(link_, testOutputKey(input, on));
    warnIfNoAnswer();
}

}  // namespace blx52
