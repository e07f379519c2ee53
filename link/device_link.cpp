#include "device_link.h"

#include <algorithm>
#include <array>
#include <vector>

namespace blx52 {

namespace {

constexpr int MessagePanel = 3;
constexpr int NumberPanel = 4;
constexpr int PortPanel = 2;
// Clears the port name shown in the status bar when the port cannot be opened.
const std::string PortPanelBlank(38, ' ');

}  // namespace

DeviceLink::DeviceLink(StatusSink* sink, SerialPortFactory portFactory)
    : sink_(sink), portFactory_(std::move(portFactory)) {}

// The message goes out first, then the code is set, then its number, so a status bar that looks
// at the link while it is written sees the same order the user does.
void DeviceLink::fail(std::int32_t code, const char* message) {
    status(MessagePanel, message);
    if (code == link_code::OpenFailed)
        status(PortPanel, PortPanelBlank);
    LinkErrorCode = code;
    status(NumberPanel, "Fehler " + std::to_string(code));
}

void DeviceLink::status(int panel, const std::string& text) {
    if (observer_ != nullptr)
        observer_->statusWritten(panel, text);
    if (sink_ != nullptr)
        sink_->setPanelText(panel, text);
}

void DeviceLink::Exchange(std::string_view command, int length) {
    if (observer_ != nullptr)
        observer_->exchangeStarted();
    std::unique_ptr<SerialPort> port = portFactory_ ? portFactory_() : nullptr;

    // OpenPort
    const bool opened = port != nullptr && port->open(PortName);
    if (opened) {
        LinkErrorCode = link_code::Ok;
    } else {
        fail(link_code::OpenFailed, "Com Port konnte nicht geöffnet werden");
    }

    // ConfigurePort: all three sub-steps run; only the last one decides whether to send.
    if (LinkErrorCode == link_code::Ok) {
        if (port->readSettings()) {
            LinkErrorCode = link_code::Ok;
        } else {
            fail(link_code::ReadSettingsFailed,
                 "Com Port-Einstelungen konnten nicht gelesen werden");
        }
        if (port->applyLineSettings()) {
            LinkErrorCode = link_code::Ok;
        } else {
            fail(link_code::ApplySettingsFailed, "Com Port konnte nicht eingestellt werden");
        }
        if (port->applyTimeouts()) {
            LinkErrorCode = link_code::Ok;
        } else {
            fail(link_code::ApplyTimeoutsFailed,
                 "Com Port Timeout konnte nicht eingestellt werden");
        }
    }
    // Input still waiting from before (the tail of an over-long or late reply) would otherwise be
    // taken as the answer to this command.
    if (opened)
        port->discardInput();

    // SendLine: `length` decides, the command may hold any byte. A length beyond the command is
    // never read past its end; the count check then reports the short line.
    const std::size_t wanted = length > 0 ? static_cast<std::size_t>(length) : 0;
    std::size_t sentCount = 0;
    bool sendFailed = false;
    lineWentOut_ = LinkErrorCode == link_code::Ok;
    if (lineWentOut_) {
        const std::size_t available = std::min(wanted, command.size());
        std::vector<std::uint8_t> line(command.begin(), command.begin() + available);
        line.push_back(13);
        line.push_back(10);
        if (const auto written = port->write(line.data(), line.size())) {
            sentCount = *written;
            LinkErrorCode = link_code::Ok;
        } else {
            sendFailed = true;
            fail(link_code::WriteFailed, "Fehler beim beschreiben vom Com Port");
        }
    }

    // Count check
    if (length < 0 || sentCount != wanted + 2) {
        fail(link_code::CountMismatch, " Anzahl der gesendeten Zeichen fehlerhaft");
    }

    // ReceiveReply: runs whatever happened before; without an open port it fails.
    std::array<std::uint8_t, ReplyCapacity> buffer{};
    std::size_t received = 0;
    const auto count = opened ? port->read(buffer.data(), buffer.size()) : std::nullopt;
    if (count) {
        received = std::min(*count, buffer.size());
        const bool whole =
            received >= 2 && buffer[received - 2] == 13 && buffer[received - 1] == 10;
        if (received == 0 && sendFailed) {
            // The line never went out (a device that stopped taking data): that is the failure
            // to report, not the silence that follows it.
            fail(link_code::WriteFailed, "Fehler beim beschreiben vom Com Port");
        } else if (received == 0) {
            LinkErrorCode = link_code::NoAnswer;
        } else if (whole) {
            LinkErrorCode = link_code::Ok;
        } else {
            // A cut or over-long line: its extracted text would be a wrong value.
            fail(link_code::BrokenReply, "Antwort vom Modul unvollständig");
        }
    } else {
        fail(link_code::ReadFailed, "Fehler beim lesen vom Com Port");
    }

    // Reply extraction: the last two bytes are the line end and are dropped whatever they are.
    LastReply =
        received > 2 ? std::string(buffer.begin(), buffer.begin() + (received - 2)) : std::string();

    if (opened)
        port->close();
    if (observer_ != nullptr)
        observer_->exchangeDone(command.substr(0, std::min(wanted, command.size())), LinkErrorCode,
                                LastReply);
}

}  // namespace blx52
