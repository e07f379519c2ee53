#pragma once

#include <string_view>

namespace blx52::sync_text {

// The system's own texts of the read, the write and the input tests (UTF-8).
inline constexpr std::string_view PortWarning =
    "Achtung!\n\nBitte den korrekten 'COM' Port im 'Ger\u00e4te-Manager' pr\u00fcfen!\n"
    "Bei falsch eingestelltem Port, kann das Programm abst\u00fcrzen!";
inline constexpr std::string_view NoAnswer =
    "Das Modul antwortet nicht!\n\nBitte \u00fcberpr\u00fcfen, ob das Modul angeschlossen, "
    "\nund mit Spannung versorgt ist!";
inline constexpr std::string_view FirmwarePrefix = "FW: V2.";
inline constexpr std::string_view ReceivedSettings = "Received settings: ";
inline constexpr std::string_view TransmittedSettings = "Transmitted settings: ";

// Refusal of a write whose value cannot go to the device as it stands.
inline constexpr std::string_view NotAWholeNumber =
    "Der Wert muss eine ganze Zahl mit h\u00f6chstens %1 sein.";
inline constexpr std::string_view OneDigit = "1 Ziffer";
inline constexpr std::string_view Digits = "%1 Ziffern";
inline constexpr std::string_view NothingSelected =
    "Keine Auswahl. Bitte einen Wert ausw\u00e4hlen.";

// A read or write that stopped at its first failed step: where ("%1", the setting's name) and why
// ("%2"). The status bar shows the first line, the message box all of it.
inline constexpr std::string_view ReadStopped = "Lesen abgebrochen bei %1: %2";
inline constexpr std::string_view WriteStopped = "Schreiben abgebrochen bei %1: %2";
inline constexpr std::string_view ReadRestUnchanged =
    "Die bis dahin gelesenen Werte wurden \u00fcbernommen, alle weiteren Einstellungen sind "
    "unver\u00e4ndert.";
inline constexpr std::string_view WriteNothingSent =
    "Es wurden keine Einstellungen \u00fcbertragen.";
inline constexpr std::string_view WritePartlySent =
    "Nur %1 von %2 Einstellungen wurden \u00fcbertragen. Das Modul enth\u00e4lt jetzt teils alte, "
    "teils neue Werte.\n\nBitte erneut schreiben!";
// A write that stopped at an entry whose line went out but was not confirmed: the device may
// hold it. "%1" confirmed entries of "%2"; "%3" the number and "%4" the name of the entry.
inline constexpr std::string_view WriteUnconfirmed =
    "Nur %1 von %2 Einstellungen wurden best\u00e4tigt \u00fcbertragen. Eintrag %3 (%4) wurde "
    "gesendet, aber nicht best\u00e4tigt; das Modul kann ihn \u00fcbernommen haben. Das Modul "
    "enth\u00e4lt jetzt teils alte, teils neue Werte.\n\nBitte erneut schreiben!";
inline constexpr std::string_view WriteFirstUnconfirmed =
    "Keine Einstellung wurde best\u00e4tigt. Eintrag 1 (%1) wurde gesendet, aber nicht "
    "best\u00e4tigt; das Modul kann ihn \u00fcbernommen haben.\n\nBitte erneut schreiben!";
// A read or write that was asked to stop (the command-line tool on a signal).
inline constexpr std::string_view Interrupted = "unterbrochen";
inline constexpr std::string_view FirmwareName = "Firmware version";
inline constexpr std::string_view WriteFlagName = "Closing mark";

// Reasons for a stop; "%1" is the reply or the link's error number.
inline constexpr std::string_view PortFailure = "Fehler an der Schnittstelle (Fehler %1)";
inline constexpr std::string_view NoReply = "keine Antwort";
inline constexpr std::string_view BrokenReply = "Antwort vom Modul unvollst\u00e4ndig";
inline constexpr std::string_view ReplyNotANumber = "Antwort '%1' ist keine Zahl";
inline constexpr std::string_view ReplyTooLong = "Antwort '%1' ist zu lang";
inline constexpr std::string_view ReplyOutOfRange =
    "Antwort '%1' liegt au\u00dferhalb des Wertebereichs";
inline constexpr std::string_view ReplyNotOk = "Antwort '%1' statt OK";

}  // namespace blx52::sync_text
