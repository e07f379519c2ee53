#include <gtest/gtest.h>

#include <map>
#include <set>

#include "settings/settings_table.h"

namespace blx52 {
namespace {

TEST(SettingsTable, CountsAndUniqueControls) {
    const auto& all = allSettings();
    ASSERT_EQ(all.size(), 88u);
    std::map<FieldKind, int> kinds;
    std::set<std::string> names;
    for (const auto& s : all) {
        ++kinds[s.kind];
        if (!s.control.empty()) {
            EXPECT_TRUE(names.insert(s.control).second) << s.control;
        }
        if (!s.landingMemo.empty()) {
            EXPECT_TRUE(names.insert(s.landingMemo).second) << s.landingMemo;
        }
        for (const auto& b : s.buttons)
            EXPECT_TRUE(names.insert(b).second) << b;
        EXPECT_EQ(findSettingByControl(s.readTarget()), s.isEdit() ? &s : nullptr);
    }
    EXPECT_EQ(kinds[FieldKind::PictureDuration], 22);
    EXPECT_EQ(kinds[FieldKind::ToneDuration], 28);
    EXPECT_EQ(kinds[FieldKind::Repeats], 4);
    EXPECT_EQ(kinds[FieldKind::Standby], 1);
    EXPECT_EQ(kinds[FieldKind::Volume], 4);
    EXPECT_EQ(kinds[FieldKind::Pitch], 28);
    EXPECT_EQ(kinds[FieldKind::Brightness], 1);
}

TEST(SettingsTable, ToneDurationsClearThePitchBoxOfTheirOwnStep) {
    std::map<std::string, const Setting*> pitchByBox;
    for (const auto& s : allSettings()) {
        if (s.kind == FieldKind::Pitch)
            pitchByBox[s.control] = &s;
    }
    for (const auto& s : allSettings()) {
        if (s.kind != FieldKind::ToneDuration)
            continue;
        ASSERT_TRUE(pitchByBox.count(s.pitchBox)) << s.control;
        EXPECT_EQ(pitchByBox[s.pitchBox]->section, s.section) << s.control;
        EXPECT_EQ(pitchByBox[s.pitchBox]->index, s.index) << s.control;
    }
    EXPECT_EQ(findSettingByControl("Edit25")->pitchBox, "ComboBox1");
    EXPECT_EQ(findSettingByControl("Edit46")->pitchBox, "ComboBox12");
    EXPECT_EQ(findSettingByControl("Edit17")->pitchBox, "ComboBox33");
}

// Every edit's family follows from its kind and section: picture durations only check, tone
// durations clear their pitch on "0", input tones and repeats recompute their section's sound time.
TEST(SettingsTable, EditFamiliesFollowKindAndSection) {
    for (const auto& s : allSettings()) {
        if (!s.isEdit())
            continue;
        SCOPED_TRACE(s.control);
        const EditFamilyRule& rule = editFamilyRule(s.family);
        const bool tone = s.kind == FieldKind::ToneDuration;
        const bool repeats = s.kind == FieldKind::Repeats;
        EXPECT_EQ(replacementText(s), repeats ? "255" : s.control == "Edit19" ? "2000" : "2500");
        EXPECT_EQ(rule.recomputesSoundTime, repeats || (tone && s.section != Section::Res));
        EXPECT_EQ(rule.clearsPitchOnZero, tone);
    }
    // The window tests recompute only in0 and in1; the other displays' wiring, checked on in2.
    const SoundTimeDisplay* in2 = findSoundTimeDisplay(Section::In2);
    EXPECT_EQ(in2->display, "Edit48");
    EXPECT_EQ(in2->unitMemo, "Memo47");
    EXPECT_EQ(in2->toneEdits[2], "Edit45");
    EXPECT_EQ(in2->repeatsEdit, "Edit47");
}

}  // namespace
}  // namespace blx52
