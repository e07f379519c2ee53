// The tools' UTF-8 output in a Windows console (under Wine, Wine's console).
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/parent_console.h"

namespace blx52 {
namespace {

TEST(Utf8ConsoleOutput, IsUtf8WhileAliveAndTheCodePageBeforeComesBack) {
    // Under Wine a console is there when the program runs on a terminal (the installer test
    // runs this test so); a new one made without a display takes no code page.
    if (GetConsoleOutputCP() == 0)
        GTEST_SKIP() << "no console: started without a terminal";
    ASSERT_TRUE(SetConsoleOutputCP(437));
    {
        const Utf8ConsoleOutput utf8;
        EXPECT_EQ(GetConsoleOutputCP(), static_cast<UINT>(CP_UTF8));
    }
    EXPECT_EQ(GetConsoleOutputCP(), 437u);

    // The end by Ctrl+C skips the destructor; the stop path restores it beforehand.
    {
        const Utf8ConsoleOutput utf8;
        restoreConsoleOutput();
        EXPECT_EQ(GetConsoleOutputCP(), 437u);
    }
    EXPECT_EQ(GetConsoleOutputCP(), 437u);

    // A console that is UTF-8 already stays so.
    ASSERT_TRUE(SetConsoleOutputCP(CP_UTF8));
    { const Utf8ConsoleOutput utf8; }
    EXPECT_EQ(GetConsoleOutputCP(), static_cast<UINT>(CP_UTF8));
    SetConsoleOutputCP(437);
}

}  // namespace
}  // namespace blx52
