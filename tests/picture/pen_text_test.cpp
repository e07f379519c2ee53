#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "picture/pen_text.h"

using namespace blx52;

namespace {

void expectNotANumber(const QString& text) {
    const PenTextOutcome o = evaluatePenText(text);
    EXPECT_EQ(o.verdict, PenTextVerdict::NotANumber) << text.toStdString();
    EXPECT_FALSE(o.coordinate) << text.toStdString();  // the coordinate keeps its value
    EXPECT_TRUE(o.replacementText.isEmpty()) << text.toStdString();
    EXPECT_EQ(o.errorText, "'" + text + "' ist kein gültiger Integerwert");
}

}  // namespace

// Empty and forbidden texts are followed through the editor window; here the edges of the value.
TEST(PenText, DigitsGiveTheirValueWithoutUpperBound) {
    for (const auto& [text, value] :
         std::vector<std::pair<QString, int>>{{"0", 0},
                                              {"7", 7},
                                              {"31", 31},
                                              {"45", 45},
                                              {"007", 7},
                                              {"00000000000000000000000012", 12},
                                              {"2147483647", 2147483647}}) {
        const PenTextOutcome o = evaluatePenText(text);
        EXPECT_EQ(o.verdict, PenTextVerdict::Number) << text.toStdString();
        EXPECT_EQ(o.coordinate, value) << text.toStdString();
        EXPECT_TRUE(o.replacementText.isEmpty());
        EXPECT_TRUE(o.errorText.isEmpty());
    }
}

TEST(PenText, PassedCheckButNoIntegerKeepsTheCoordinate) {
    expectNotANumber("2147483648");
    expectNotANumber("99999999999999999999999");
    expectNotANumber(QString("1") + QChar(0x01));  // control characters pass the check
    expectNotANumber(QString(QChar(0x7F)));
    expectNotANumber(QString("4") + QChar(0xE9));  // é is no listed character
}
