#pragma once

#include <array>

namespace blx52::test {

// The read steps in sending order: key and the control taking the reply
// (none for the firmware query).
struct ExpectedRead {
    const char* key;
    const char* target;
};
inline constexpr std::array<ExpectedRead, 89> expectedRead = {{
    {"getdatafw", ""},         {"getin0pic0t", "Edit19"},    {"getin0pic1t", "Edit20"},
    {"getin0pic2t", "Edit21"}, {"getin0pic3t", "Edit22"},    {"getin1pic0t", "Edit23"},
    {"getin1pic1t", "Edit24"}, {"getin1pic2t", "Edit29"},    {"getin1pic3t", "Edit30"},
    {"getin2pic0t", "Edit37"}, {"getin2pic1t", "Edit38"},    {"getin2pic2t", "Edit39"},
    {"getin2pic3t", "Edit40"}, {"getin3pic0t", "Edit59"},    {"getin3pic1t", "Edit60"},
    {"getin3pic2t", "Edit61"}, {"getin3pic3t", "Edit62"},    {"getrespic0t", "Edit2"},
    {"getrespic1t", "Edit3"},  {"getrespic2t", "Edit4"},     {"getrespic3t", "Edit5"},
    {"getrespic4t", "Edit6"},  {"getrespic5t", "Edit18"},    {"getin0ton0t", "Edit25"},
    {"getin0ton1t", "Edit26"}, {"getin0ton2t", "Edit27"},    {"getin0ton3t", "Edit28"},
    {"getin1ton0t", "Edit31"}, {"getin1ton1t", "Edit32"},    {"getin1ton2t", "Edit33"},
    {"getin1ton3t", "Edit34"}, {"getin2ton0t", "Edit41"},    {"getin2ton1t", "Edit42"},
    {"getin2ton2t", "Edit45"}, {"getin2ton3t", "Edit46"},    {"getin3ton0t", "Edit63"},
    {"getin3ton1t", "Edit64"}, {"getin3ton2t", "Edit65"},    {"getin3ton3t", "Edit66"},
    {"getreston0t", "Edit1"},  {"getreston1t", "Edit7"},     {"getreston2t", "Edit8"},
    {"getreston3t", "Edit9"},  {"getreston4t", "Edit10"},    {"getreston5t", "Edit11"},
    {"getreston6t", "Edit12"}, {"getreston7t", "Edit13"},    {"getreston8t", "Edit14"},
    {"getreston9t", "Edit15"}, {"getrestonat", "Edit16"},    {"getrestonbt", "Edit17"},
    {"getin0tonr", "Edit43"},  {"getin1tonr", "Edit35"},     {"getin2tonr", "Edit47"},
    {"getin3tonr", "Edit67"},  {"getsbypic", "Memo1"},       {"getin0tonv", "Memo2"},
    {"getin1tonv", "Memo3"},   {"getin2tonv", "Memo4"},      {"getin3tonv", "Memo5"},
    {"getin0ton0p", "Memo6"},  {"getin0ton1p", "Memo7"},     {"getin0ton2p", "Memo8"},
    {"getin0ton3p", "Memo9"},  {"getin1ton0p", "Memo10"},    {"getin1ton1p", "Memo11"},
    {"getin1ton2p", "Memo12"}, {"getin1ton3p", "Memo13"},    {"getin2ton0p", "Memo14"},
    {"getin2ton1p", "Memo15"}, {"getin2ton2p", "Memo16"},    {"getin2ton3p", "Memo17"},
    {"getin3ton0p", "Memo18"}, {"getin3ton1p", "Memo19"},    {"getin3ton2p", "Memo20"},
    {"getin3ton3p", "Memo21"}, {"getreston0p", "Memo22"},    {"getreston1p", "Memo23"},
    {"getreston2p", "Memo24"}, {"getreston3p", "Memo25"},    {"getreston4p", "Memo26"},
    {"getreston5p", "Memo27"}, {"getreston6p", "Memo28"},    {"getreston7p", "Memo29"},
    {"getreston8p", "Memo30"}, {"getreston9p", "Memo31"},    {"getrestonap", "Memo32"},
    {"getrestonbp", "Memo33"}, {"get_brightness", "Memo35"},
}};

// The write entries: key, source controls (radio buttons in value order, comma-separated), value
// form A (edit), B (radio digit), C (pitch), D (brightness), E (fixed "123"), and the value a
// write of the untouched window sends.
struct ExpectedWrite {
    const char* key;
    const char* source;
    char form;
    const char* startValue;
};
// clang-format off
inline constexpr std::array<ExpectedWrite, 89> expectedWrite = {{
    {"setin0pic0t", "Edit19", 'A', "2000"}, {"setin0pic1t", "Edit20", 'A', "1000"},
    {"setin0pic2t", "Edit21", 'A', "2000"}, {"setin0pic3t", "Edit22", 'A', "1000"},
    {"setin1pic0t", "Edit23", 'A', "2000"}, {"setin1pic1t", "Edit24", 'A', "1000"},
    {"setin1pic2t", "Edit29", 'A', "2000"}, {"setin1pic3t", "Edit30", 'A', "1000"},
    {"setin2pic0t", "Edit37", 'A', "2000"}, {"setin2pic1t", "Edit38", 'A', "1000"},
    {"setin2pic2t", "Edit39", 'A', "2000"}, {"setin2pic3t", "Edit40", 'A', "1000"},
    {"setin3pic0t", "Edit59", 'A', "2000"}, {"setin3pic1t", "Edit60", 'A', "1000"},
    {"setin3pic2t", "Edit61", 'A', "2000"}, {"setin3pic3t", "Edit62", 'A', "1000"},
    {"setrespic0t", "Edit2", 'A', "200"}, {"setrespic1t", "Edit3", 'A', "200"},
    {"setrespic2t", "Edit4", 'A', "200"}, {"setrespic3t", "Edit5", 'A', "200"},
    {"setrespic4t", "Edit6", 'A', "700"}, {"setrespic5t", "Edit18", 'A', "2000"},
    {"setin0ton0t", "Edit25", 'A', "100"}, {"setin0ton1t", "Edit26", 'A', "0"},
    {"setin0ton2t", "Edit27", 'A', "0"}, {"setin0ton3t", "Edit28", 'A', "0"},
    {"setin1ton0t", "Edit31", 'A', "100"}, {"setin1ton1t", "Edit32", 'A', "100"},
    {"setin1ton2t", "Edit33", 'A', "100"}, {"setin1ton3t", "Edit34", 'A', "0"},
    {"setin2ton0t", "Edit41", 'A', "100"}, {"setin2ton1t", "Edit42", 'A', "100"},
    {"setin2ton2t", "Edit45", 'A', "0"}, {"setin2ton3t", "Edit46", 'A', "0"},
    {"setin3ton0t", "Edit63", 'A', "100"}, {"setin3ton1t", "Edit64", 'A', "100"},
    {"setin3ton2t", "Edit65", 'A', "100"}, {"setin3ton3t", "Edit66", 'A', "100"},
    {"setreston0t", "Edit1", 'A', "70"}, {"setreston1t", "Edit7", 'A', "70"},
    {"setreston2t", "Edit8", 'A', "70"}, {"setreston3t", "Edit9", 'A', "70"},
    {"setreston4t", "Edit10", 'A', "70"}, {"setreston5t", "Edit11", 'A', "70"},
    {"setreston6t", "Edit12", 'A', "70"}, {"setreston7t", "Edit13", 'A', "70"},
    {"setreston8t", "Edit14", 'A', "70"}, {"setreston9t", "Edit15", 'A', "70"},
    {"setrestonat", "Edit16", 'A', "500"}, {"setrestonbt", "Edit17", 'A', "100"},
    {"setin0tonr", "Edit43", 'A', "1"}, {"setin1tonr", "Edit35", 'A', "1000"},
    {"setin2tonr", "Edit47", 'A', "1500"}, {"setin3tonr", "Edit67", 'A', "750"},
    {"setsbypic_", "RadioButton1,RadioButton2,RadioButton3", 'B', "1"},
    {"setin0tonv", "RadioButton16,RadioButton17,RadioButton18,RadioButton19", 'B', "0"},
    {"setin1tonv", "RadioButton4,RadioButton5,RadioButton6,RadioButton7", 'B', "3"},
    {"setin2tonv", "RadioButton12,RadioButton13,RadioButton14,RadioButton15", 'B', "3"},
    {"setin3tonv", "RadioButton8,RadioButton9,RadioButton10,RadioButton11", 'B', "3"},
    {"setin0ton0p", "ComboBox1", 'C', "13"}, {"setin0ton1p", "ComboBox2", 'C', "0"},
    {"setin0ton2p", "ComboBox3", 'C', "0"}, {"setin0ton3p", "ComboBox4", 'C', "0"},
    {"setin1ton0p", "ComboBox5", 'C', "9"}, {"setin1ton1p", "ComboBox6", 'C', "11"},
    {"setin1ton2p", "ComboBox7", 'C', "13"}, {"setin1ton3p", "ComboBox8", 'C', "0"},
    {"setin2ton0p", "ComboBox9", 'C', "11"}, {"setin2ton1p", "ComboBox10", 'C', "13"},
    {"setin2ton2p", "ComboBox11", 'C', "0"}, {"setin2ton3p", "ComboBox12", 'C', "0"},
    {"setin3ton0p", "ComboBox17", 'C', "9"}, {"setin3ton1p", "ComboBox18", 'C', "11"},
    {"setin3ton2p", "ComboBox19", 'C', "9"}, {"setin3ton3p", "ComboBox20", 'C', "13"},
    {"setreston0p", "ComboBox22", 'C', "5"}, {"setreston1p", "ComboBox23", 'C', "8"},
    {"setreston2p", "ComboBox24", 'C', "10"}, {"setreston3p", "ComboBox25", 'C', "12"},
    {"setreston4p", "ComboBox26", 'C', "15"}, {"setreston5p", "ComboBox27", 'C', "12"},
    {"setreston6p", "ComboBox28", 'C', "10"}, {"setreston7p", "ComboBox29", 'C', "8"},
    {"setreston8p", "ComboBox30", 'C', "5"}, {"setreston9p", "ComboBox31", 'C', "3"},
    {"setrestonap", "ComboBox32", 'C', "16"}, {"setrestonbp", "ComboBox33", 'C', "13"},
    {"set_brightness", "Memo34", 'D', "6"}, {"set_wt_flag", "", 'E', "123"},
}};
// clang-format on

}  // namespace blx52::test
