#include "form_fixture.h"

namespace blx52 {
namespace {

using EditRules = FormTest;

const QString NumbersOnly = QStringLiteral("errorOk: Bitte nur Zahlen eingeben!");

TEST_F(EditRules, ClearedPictureDurationBecomesZeroAndOnlyMarksTheChange) {
    setText("Edit20", QString());
    EXPECT_EQ(text("Edit20"), QStringLiteral("0"));
    EXPECT_TRUE(form->settingsChanged());
    EXPECT_TRUE(writeStripBlue());
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_EQ(text("Edit44"), QStringLiteral("0,1"));  // no recomputation
    EXPECT_EQ(pitch("ComboBox2"), 0);
    EXPECT_EQ(pitch("ComboBox1"), 13);
}

TEST_F(EditRules, ForbiddenCharactersGiveOneMessageAndTheFamilyReplacement) {
    setText("Edit19", QStringLiteral("1.5"));
    EXPECT_EQ(text("Edit19"), QStringLiteral("2000"));
    setText("Edit20", QStringLiteral("1,5"));
    EXPECT_EQ(text("Edit20"), QStringLiteral("2500"));
    setText("Edit17", QStringLiteral("-5"));
    EXPECT_EQ(text("Edit17"), QStringLiteral("2500"));
    EXPECT_EQ(dialogs.log, QStringList({NumbersOnly, NumbersOnly, NumbersOnly}));
    EXPECT_EQ(dialogs.errorBeeps, 3);
    EXPECT_EQ(dialogs.beeps, 0);  // the error sound, not the warning's

    dialogs.log.clear();
    setText("Edit18", QStringLiteral("a.b,c -x!\u00e4"));
    EXPECT_EQ(dialogs.log, QStringList({NumbersOnly}));
    EXPECT_EQ(text("Edit18"), QStringLiteral("2500"));
}

TEST_F(EditRules, ReplacementRunsTheRuleAgainNestedAndRecomputes) {
    // Input tone duration: "2500" replaces the text, the nested run recomputes the sound time.
    setText("Edit25", QStringLiteral("x"));
    EXPECT_EQ(text("Edit25"), QStringLiteral("2500"));
    EXPECT_EQ(text("Edit44"), QStringLiteral("2,5"));
    EXPECT_EQ(text("Memo45"), QStringLiteral("sec"));
    EXPECT_EQ(pitch("ComboBox1"), 13);
    // Repeats: "255".
    setText("Edit43", QStringLiteral("1 000"));
    EXPECT_EQ(text("Edit43"), QStringLiteral("255"));
    EXPECT_EQ(text("Edit44"), QStringLiteral("10,625"));
    EXPECT_EQ(text("Memo45"), QStringLiteral("min"));
    EXPECT_EQ(dialogs.log.size(), 2);
    // Empty repeats: the outer run goes straight to the end, so only the nested run can have
    // recomputed the display.
    setText("Edit35", QString());
    EXPECT_EQ(text("Edit35"), QStringLiteral("0"));
    EXPECT_EQ(text("Edit36"), QStringLiteral("0"));
    EXPECT_EQ(text("Memo44"), QStringLiteral("sec"));
    EXPECT_EQ(dialogs.log.size(), 2);
}

TEST_F(EditRules, OnlyTheExactTextZeroClearsThePitch) {
    setText("Edit31", QStringLiteral("00"));
    EXPECT_EQ(pitch("ComboBox5"), 9);
    EXPECT_EQ(text("Edit36"), QStringLiteral("3,33333325386047"));  // 200 s
    EXPECT_EQ(text("Memo44"), QStringLiteral("min"));
    setText("Edit31", QStringLiteral("0"));
    EXPECT_EQ(pitch("ComboBox5"), 0);
    // Cleared: "0", "None" and the sound time.
    setText("Edit32", QString());
    EXPECT_EQ(text("Edit32"), QStringLiteral("0"));
    EXPECT_EQ(pitch("ComboBox6"), 0);
    EXPECT_EQ(text("Edit36"), QStringLiteral("1,66666662693024"));
    // Device start tone durations clear their pitch but compute no sound time.
    setText("Edit17", QString());
    EXPECT_EQ(pitch("ComboBox33"), 0);
    setText("Edit16", QStringLiteral("0"));
    EXPECT_EQ(pitch("ComboBox32"), 0);
    EXPECT_EQ(pitch("ComboBox31"), 3);
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST_F(EditRules, SoundTimeFollowsTheRepeatsWithADecimalComma) {
    const std::pair<const char*, const char*> expected[] = {
        {"2", "0,600000023841858"}, {"20", "6"}, {"200", "60"}, {"2000", "10"}};
    for (const auto& [repeats, shown] : expected) {
        setText("Edit35", QString::fromLatin1(repeats));
        EXPECT_EQ(text("Edit36"), QString::fromLatin1(shown)) << repeats;
    }
    EXPECT_EQ(text("Memo44"), QStringLiteral("min"));
    setText("Edit35", QStringLiteral("200"));
    EXPECT_EQ(text("Memo44"), QStringLiteral("sec"));
    setText("Edit43", QStringLiteral("5000"));
    setText("Edit43", QStringLiteral("1"));
    EXPECT_EQ(text("Edit44"), QStringLiteral("0,100000001490116"));
    // The display shows the start of a long value, not its last digits.
    EXPECT_EQ(form->edit(QStringLiteral("Edit44"))->cursorPosition(), 0);
}

TEST_F(EditRules, SoundTimeUsesTheLocaleOfTheMomentOfTheChange) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    setText("Edit35", QStringLiteral("2"));
    EXPECT_EQ(text("Edit36"), QStringLiteral("0.600000023841858"));
    setText("Edit43", QStringLiteral("2"));
    setText("Edit43", QStringLiteral("1"));
    EXPECT_EQ(text("Edit44"), QStringLiteral("0.100000001490116"));
}

TEST_F(EditRules, RangesAreNotEnforced) {
    setText("Edit19", QStringLiteral("5000"));
    setText("Edit43", QStringLiteral("99999"));
    setText("Edit25", QStringLiteral("5"));
    EXPECT_EQ(text("Edit19"), QStringLiteral("5000"));
    EXPECT_EQ(text("Edit43"), QStringLiteral("99999"));
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST_F(EditRules, TextThatIsNoNumberShowsTheConversionErrorAndEndsTheRule) {
    const QString odd = QStringLiteral("1\u0081");  // passes the check, is no number
    setText("Edit31", odd);
    EXPECT_EQ(text("Edit31"), odd);
    EXPECT_EQ(dialogs.log, QStringList({QStringLiteral("generalError: '1\u0081' ist kein "
                                                       "g\u00fcltiger Gleitkommawert")}));
    EXPECT_EQ(text("Edit36"), QStringLiteral("5"));  // not recomputed

    // Clearing another tone of the section: the nested run fails, so the outer rule ends before
    // it would select "None".
    dialogs.log.clear();
    setText("Edit32", QString());
    EXPECT_EQ(text("Edit32"), QStringLiteral("0"));
    EXPECT_EQ(dialogs.log.size(), 1);
    EXPECT_EQ(pitch("ComboBox6"), 11);

    // The window goes on working.
    dialogs.log.clear();
    setText("Edit31", QStringLiteral("100"));
    EXPECT_EQ(text("Edit36"), QStringLiteral("3,33333325386047"));
    EXPECT_TRUE(dialogs.log.isEmpty());

    // Picture durations never convert: the text stays, silently.
    setText("Edit20", odd);
    EXPECT_EQ(text("Edit20"), odd);
    EXPECT_TRUE(dialogs.log.isEmpty());
}

}  // namespace
}  // namespace blx52
