#pragma once

#include <QString>

#include <optional>

namespace blx52 {

// What a pen column or row edit's new text means. The window acts on it: it shows the
// character-check message for Forbidden, the error message for NotANumber, and replaces the
// edit's text where replacementText is set.
enum class PenTextVerdict {
    Empty,       // becomes "0", coordinate 0
    Forbidden,   // the number check refuses a character: becomes "31", coordinate 31
    Number,      // coordinate is the decimal value, no upper bound
    NotANumber,  // passed the check but is no int (too long, control character …): unchanged
};

struct PenTextOutcome {
    PenTextVerdict verdict;
    std::optional<int> coordinate;  // the new coordinate; none when it keeps its value
    QString replacementText;        // the edit's new text; empty when the text stays
    QString errorText;              // for NotANumber: the message naming the text
};

PenTextOutcome evaluatePenText(const QString& text);

}  // namespace blx52
