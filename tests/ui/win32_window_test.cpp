// The main window on Windows: a write and a read through the Win32 serial port, against the
// device simulator that the Wine test runner starts beside Wine and maps to a COM port
// (BLX52_WINDOW_PORT; on Linux the window tests reach the simulator in their own process), and
// the decimal separator of the user's regional setting.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "settings/settings_table.h"
#include "tests/common/gui_test_support.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"

namespace blx52 {
namespace {

// Puts the default number format back, however the test ends.
struct RestoreDefaultLocale {
    ~RestoreDefaultLocale() { QLocale::setDefault(saved); }
    QLocale saved;
};

// While it lives, this program's calls of MessageBeep land in `played` instead of the system:
// the entry of user32's MessageBeep in the program's import table is swapped.
class MessageBeepRecorder {
  public:
    MessageBeepRecorder() {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             d->Name != 0; ++d) {
            if (_stricmp(reinterpret_cast<const char*>(base + d->Name), "user32.dll") != 0)
                continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
            auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++entries) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                const auto* byName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "MessageBeep") == 0)
                    entry_ = &entries->u1.Function;
            }
        }
        if (entry_ != nullptr) {
            original_ = swap(reinterpret_cast<ULONG_PTR>(&record));
            played().clear();
        }
    }
    ~MessageBeepRecorder() {
        if (entry_ != nullptr)
            swap(original_);
    }
    bool installed() const { return entry_ != nullptr; }
    static std::vector<UINT>& played() {
        static std::vector<UINT> types;
        return types;
    }

  private:
    static BOOL WINAPI record(UINT type) {
        played().push_back(type);
        return TRUE;
    }
    ULONG_PTR swap(ULONG_PTR to) {
        DWORD protection = 0;
        ::VirtualProtect(entry_, sizeof(*entry_), PAGE_READWRITE, &protection);
        const ULONG_PTR from = *entry_;
        *entry_ = to;
        ::VirtualProtect(entry_, sizeof(*entry_), protection, &protection);
        return from;
    }

    ULONG_PTR* entry_ = nullptr;
    ULONG_PTR original_ = 0;
};

const Setting* settingWithGetKey(const std::string& key) {
    for (const auto& s : allSettings()) {
        if (s.getKey == key)
            return &s;
    }
    return nullptr;
}

TEST(WindowOnWin32Port, WrittenValueComesBackWithTheNextRead) {
    const char* port = std::getenv("BLX52_WINDOW_PORT");
    if (port == nullptr)
        GTEST_SKIP() << "no simulator on a COM port: run under tools/windows/run-tests.sh";
    const RestoreDefaultLocale restore;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    FakeDialogs dialogs;
    DeviceLink link;
    link.PortName = port;
    TForm1 form(link, dialogs);
    form.show();
    const Setting* setting = settingWithGetKey("getin0pic0t");
    ASSERT_NE(setting, nullptr);
    QLineEdit* edit = form.edit(QString::fromStdString(setting->control));
    ASSERT_NE(edit, nullptr);

    edit->setText(QStringLiteral("2750"));
    QTest::mouseClick(form.button(QStringLiteral("Button2")), Qt::LeftButton);
    EXPECT_EQ(link.LinkErrorCode, link_code::Ok);
    EXPECT_EQ(form.stripColor(QStringLiteral("Memo37")), TForm1::clLime());
    EXPECT_FALSE(form.settingsChanged());

    edit->setText(QStringLiteral("1000"));
    QTest::mouseClick(form.button(QStringLiteral("Button1")), Qt::LeftButton);
    EXPECT_EQ(edit->text(), QStringLiteral("2750"));
    EXPECT_EQ(form.panelText(3), QStringLiteral("Received settings: 89"));
    EXPECT_EQ(form.stripColor(QStringLiteral("Memo40")), TForm1::clLime());
    EXPECT_EQ(form.panelText(1), QStringLiteral("FW: V2.4.1"));  // the simulator's firmware 4.1

    // The port warning before each of the two; no other message.
    ASSERT_EQ(dialogs.log.size(), 2) << dialogs.log.join(QStringLiteral(" | ")).toStdString();
    for (const QString& entry : dialogs.log)
        EXPECT_TRUE(entry.startsWith(QStringLiteral("warningOkCancel: Achtung!")))
            << entry.toStdString();
    EXPECT_EQ(dialogs.beeps, 0);
    EXPECT_EQ(dialogs.errorBeeps, 0);
}

// Numbers the program computes (the sound time) take the separator of the user's regional
// setting, a point for English, a comma for German; the fixed start texts ("0,1") keep their
// comma until the first recomputation, as the users' program always showed them.
TEST(WindowOnWindows, SoundTimeTakesTheDecimalSeparatorOfTheRegionalSetting) {
    wchar_t separator[8] = {};
    ASSERT_GT(::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8), 0);
    const QString windowsSeparator = QString::fromWCharArray(separator);
    ASSERT_EQ(windowsSeparator.size(), 1);

    const RestoreDefaultLocale restore;
    QLocale::setDefault(QLocale::system());
    FakeDialogs dialogs;
    DeviceLink link;
    TForm1 form(link, dialogs);
    EXPECT_EQ(form.controlText(QStringLiteral("Edit44")), QStringLiteral("0,1"));
    form.edit(QStringLiteral("Edit35"))->setText(QStringLiteral("2"));
    EXPECT_EQ(form.controlText(QStringLiteral("Edit36")),
              QStringLiteral("0") + windowsSeparator + QStringLiteral("600000023841858"));
    EXPECT_TRUE(dialogs.log.isEmpty());
}

// The warnings' sound and the error sound of a refused entry are Windows' own two sounds.
TEST(WindowOnWindows, WarningsAndRefusedEntriesPlayTheirOwnSystemSounds) {
    const MessageBeepRecorder recorder;
    ASSERT_TRUE(recorder.installed());
    QtDialogs dialogs;
    dialogs.beep();
    dialogs.errorBeep();
    EXPECT_EQ(MessageBeepRecorder::played(), (std::vector<UINT>{MB_ICONEXCLAMATION, MB_ICONHAND}));
}

}  // namespace
}  // namespace blx52
