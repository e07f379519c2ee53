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

}  // namespace blx52::sync_text
