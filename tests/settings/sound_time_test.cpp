#include <gtest/gtest.h>

#include "settings/conversion_error.h"
#include "settings/sound_time.h"

namespace blx52 {
namespace {

const QLocale german(QLocale::German, QLocale::Germany);

SoundTimeText of(const char* d0, const char* d1, const char* d2, const char* d3, const char* r,
                 const QLocale& locale = german) {
    return soundTime({QString::fromUtf8(d0), QString::fromUtf8(d1), QString::fromUtf8(d2),
                      QString::fromUtf8(d3)},
                     QString::fromUtf8(r), locale);
}

void expectShows(const SoundTimeText& t, const char* value, const char* unit) {
    EXPECT_EQ(t.value.toStdString(), value);
    EXPECT_EQ(t.unit.toStdString(), unit);
}

// The window tests follow the repeat count and the decimal separator; here what they cannot
// reach cheaply: the start texts are what the rule computes, and the unit's edges.
TEST(SoundTime, StartValuesAndUnitEdges) {
    expectShows(of("100", "100", "100", "0", "1000"), "5", "min");
    expectShows(of("100", "100", "0", "0", "1500"), "5", "min");
    expectShows(of("100", "100", "100", "100", "750"), "5", "min");
    expectShows(of("100", "100", "100", "400", "100"), "1,16666662693024", "min");  // 70 s
    expectShows(of("0", "0", "0", "0", "50000"), "0", "sec");
}

TEST(SoundTime, TextThatIsNoNumberEndsTheComputation) {
    EXPECT_THROW(of("100", "1\xC2\x81", "0", "0", "1"), ConversionError);
    EXPECT_THROW(of("100", "0", "0", "0", ""), ConversionError);
    // Each text fits a float, their product does not.
    const std::string huge(38, '9');
    EXPECT_THROW(of(huge.c_str(), "0", "0", "0", "99999"), FloatOverflowError);
}

TEST(FormatGeneral, ShortestFormWithFifteenDigits) {
    EXPECT_EQ(formatGeneral(0.0, german).toStdString(), "0");
    EXPECT_EQ(formatGeneral(2.5, german).toStdString(), "2,5");
    EXPECT_EQ(formatGeneral(1234.0, german).toStdString(), "1234");
    EXPECT_EQ(formatGeneral(0.0001, german).toStdString(), "0,0001");
    EXPECT_EQ(formatGeneral(123456789012345.0, german).toStdString(), "123456789012345");
    EXPECT_EQ(formatGeneral(1234567890123456.0, german).toStdString(), "1,23456789012346E15");
    EXPECT_EQ(formatGeneral(1e20, german).toStdString(), "1E20");
    EXPECT_EQ(formatGeneral(1.5e-5, german).toStdString(), "1,5E-5");
    EXPECT_EQ(formatGeneral(9.9999999999999999, german).toStdString(), "10");
    EXPECT_EQ(formatGeneral(-0.5, german).toStdString(), "-0,5");
    EXPECT_EQ(formatGeneral(1.0 / 3.0, QLocale::c()).toStdString(), "0.333333333333333");
}

}  // namespace
}  // namespace blx52
