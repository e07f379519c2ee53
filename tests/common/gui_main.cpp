#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "tests/common/gui_test_support.h"
#include "ui/application.h"

#ifndef _WIN32
namespace {

// The offscreen platform's screens (one 800 × 800 screen unless told otherwise), side by side.
QByteArray screensConfig() {
    QByteArray json = R"({"screens": [)";
    int x = 0;
    for (const blx52::TestScreen& s : blx52::TestScreens) {
        if (x > 0)
            json += ", ";
        json += QStringLiteral(R"({"name": "%1", "x": %2, "y": 0, "width": %3, "height": %4, )"
                               R"("logicalDpi": %5, "dpr": 1})")
                    .arg(QLatin1String(s.name))
                    .arg(x)
                    .arg(s.width)
                    .arg(s.height)
                    .arg(96 * s.percent / 100)
                    .toUtf8();
        x += s.width;
    }
    return json + "]}";
}

}  // namespace
#endif

// The window test programs run inside the program's own application object.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifndef _WIN32
    // Not on Windows: Qt 6.4's offscreen platform there ends the program when given a screen
    // configuration; the tests that need these screens skip without them.
    QTemporaryFile screens(QDir::tempPath() + QStringLiteral("/blx52-test-screens-XXXXXX.json"));
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && screens.open()) {
        screens.write(screensConfig());
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    }
#endif
    // What the program keeps for the user (the file dialogs' folders) goes to a test folder.
    QStandardPaths::setTestModeEnabled(true);
    blx52::Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
