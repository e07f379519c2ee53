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

TEST(SettingsTable, FamiliesAndReplacementTexts) {
    auto rule = [](const char* edit) { return editFamilyRule(findSettingByControl(edit)->family); };
    auto replacement = [](const char* edit) {
        return std::string(replacementText(*findSettingByControl(edit)));
    };
    EXPECT_EQ(replacement("Edit19"), "2000");
    for (const char* e :
         {"Edit20", "Edit18", "Edit2", "Edit62", "Edit25", "Edit46", "Edit1", "Edit17"}) {
        EXPECT_EQ(replacement(e), "2500") << e;
    }
    for (const char* e : {"Edit43", "Edit35", "Edit47", "Edit67"}) {
        EXPECT_EQ(replacement(e), "255") << e;
        EXPECT_TRUE(rule(e).recomputesSoundTime);
        EXPECT_FALSE(rule(e).clearsPitchOnZero);
    }
    EXPECT_FALSE(rule("Edit19").recomputesSoundTime);
    EXPECT_FALSE(rule("Edit19").clearsPitchOnZero);
    EXPECT_TRUE(rule("Edit41").recomputesSoundTime);
    EXPECT_TRUE(rule("Edit41").clearsPitchOnZero);
    EXPECT_FALSE(rule("Edit9").recomputesSoundTime);
    EXPECT_TRUE(rule("Edit9").clearsPitchOnZero);
}

TEST(SettingsTable, StartValuesAndKeysOfSpotChecks) {
    const Setting* pitch = findSettingByControl("ComboBox1");
    EXPECT_EQ(PitchNames[pitch->startIndex], "A7");
    EXPECT_EQ(pitch->landingMemo, "Memo6");
    EXPECT_EQ(PitchNames[findSettingByControl("ComboBox32")->startIndex], "Pause");
    EXPECT_EQ(findSettingByControl("Edit16")->getKey, "getrestonat");
    EXPECT_EQ(findSettingByControl("Edit17")->setKey, "setrestonbt");
    EXPECT_EQ(findSettingByControl("Edit67")->startText, "750");
    EXPECT_EQ(findSettingByControl("RadioButton2")->startIndex, 1);
    EXPECT_EQ(findSettingByControl("RadioButton16")->landingMemo, "Memo2");
    EXPECT_EQ(findSettingByControl("TrackBar1")->landingMemo, "Memo35");
    const SoundTimeDisplay* in2 = findSoundTimeDisplay(Section::In2);
    EXPECT_EQ(in2->display, "Edit48");
    EXPECT_EQ(in2->unitMemo, "Memo47");
    EXPECT_EQ(in2->toneEdits[2], "Edit45");
    EXPECT_EQ(in2->repeatsEdit, "Edit47");
}

}  // namespace
}  // namespace blx52
