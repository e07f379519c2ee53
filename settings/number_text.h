#pragma once

#include <QLocale>
#include <QString>

namespace blx52 {

// The Windows-1252 code of a character, or -1 when the code page cannot hold it (such a
// character would be stored as "?").
int windows1252Code(QChar c);

// True when the text holds a character that a number field refuses: blanks, punctuation, letters,
// a few listed 8-bit characters, and everything Windows-1252 cannot hold. Digits, control
// characters, 127 and the other 8-bit codes pass; a text made of them may still be no number.
bool hasForbiddenCharacter(const QString& text);

// The toolkit's text-to-number conversion: optional blanks around, an optional sign, digits with
// at most one decimal separator of `locale`, an optional exponent. Throws ConversionError with the
// original text for anything else, for an empty text and for a value a float cannot hold.
float textToFloat(const QString& text, const QLocale& locale);

}  // namespace blx52
