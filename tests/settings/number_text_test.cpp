#include <gtest/gtest.h>

#include <set>

#include "settings/conversion_error.h"
#include "settings/number_text.h"

namespace blx52 {
namespace {

// The characters of the Windows-1252 codes 128 … 159 (0 where the code page has none).
constexpr char16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                               0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QChar fromCode(int code) {
    if (code >= 128 && code < 160 && high[code - 128] != 0)
        return QChar(high[code - 128]);
    return QChar(static_cast<char16_t>(code));
}

TEST(NumberText, ForbiddenSetIsExactlyTheListedCodes) {
    std::set<int> forbidden = {128, 167, 176, 196, 214, 220, 223, 228, 246, 252};
    for (int c = 32; c <= 47; ++c)
        forbidden.insert(c);
    for (int c = 58; c <= 126; ++c)
        forbidden.insert(c);
    for (int code = 0; code < 256; ++code) {
        const QChar c = fromCode(code);
        EXPECT_EQ(windows1252Code(c), code) << code;
        EXPECT_EQ(hasForbiddenCharacter(QString(c)), forbidden.count(code) == 1) << code;
    }
}

TEST(NumberText, CharactersOutsideTheCodePageAreForbidden) {
    for (char16_t u : {u'\u0100', u'\u4F60', u'\u0080', u'\u0099', u'\u2212'}) {
        EXPECT_EQ(windows1252Code(QChar(u)), -1) << int(u);
        EXPECT_TRUE(hasForbiddenCharacter(QStringLiteral("12") + QChar(u))) << int(u);
    }
    EXPECT_TRUE(hasForbiddenCharacter(QString::fromUtf8("1\xF0\x9F\x98\x80")));  // outside the BMP
}

TEST(TextToFloat, AcceptsTheLocaleForm) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(textToFloat(QStringLiteral("2500"), german), 2500.0f);
    EXPECT_EQ(textToFloat(QStringLiteral("1,5"), german), 1.5f);
    EXPECT_EQ(textToFloat(QStringLiteral("  12  "), german), 12.0f);
    EXPECT_EQ(textToFloat(QStringLiteral("-1"), german), -1.0f);
    EXPECT_EQ(textToFloat(QStringLiteral("+3"), german), 3.0f);
    EXPECT_EQ(textToFloat(QStringLiteral("1e3"), german), 1000.0f);
    EXPECT_EQ(textToFloat(QStringLiteral("2,5E-1"), german), 0.25f);
    EXPECT_EQ(textToFloat(QStringLiteral(",5"), german), 0.5f);
    EXPECT_EQ(textToFloat(QStringLiteral("007"), german), 7.0f);
    EXPECT_EQ(textToFloat(QStringLiteral("0,1"), german), 0.1f);

    const QLocale c = QLocale::c();
    EXPECT_EQ(textToFloat(QStringLiteral("1.5"), c), 1.5f);
    EXPECT_THROW(textToFloat(QStringLiteral("1,5"), c), ConversionError);
}

TEST(TextToFloat, RefusesEverythingElseWithTheTextInTheMessage) {
    const QLocale german(QLocale::German, QLocale::Germany);
    for (const char* bad :
         {"", " ", "1.5", "1,5,5", ",", "-", "1e", "1e+", "abc", "1 2", "inf", "nan", "0x10",
          "1\xC2\x81", "\t5", "1e40", "99999999999999999999999999999999999999999"}) {
        EXPECT_THROW(textToFloat(QString::fromUtf8(bad), german), ConversionError) << bad;
    }
    try {
        textToFloat(QStringLiteral("12x"), german);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'12x' ist kein g\xC3\xBCltiger Gleitkommawert");
    }
}

}  // namespace
}  // namespace blx52
