// The main window on Windows: the decimal separator of the user's regional setting and the
// system sounds. (Reads and writes through the Win32 port are the window sync tests, which run
// here against the simulator beside Wine.)
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
