#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string_view>

#include "blx52_version.h"
#include "link/device_link.h"
#include "picture/picture_files.h"
#include "picture/start_pictures.h"
#include "platform/font_warmup.h"
#include "platform/parent_console.h"
#include "ui/application.h"
#include "ui/built_in_pictures.h"
#include "ui/dialogs.h"
#include "ui/handler_guard.h"
#include "ui/main_window.h"
#include "ui/picture_editor.h"
#include "ui/start_file.h"

namespace {

bool isCommandLineRequest(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "-?" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
            arg == "--version" || arg == "--init-pictures") {
            return true;
        }
    }
    return false;
}

int initPictures() {
    const QString source = blx52::startPicturesFolder(QCoreApplication::applicationDirPath());
    if (const std::optional<QString> problem = blx52::settingsFolderProblem()) {
        std::fprintf(stderr, "blx52: %s\n", qPrintable(*problem));
        return 1;
    }
    const QString folder = blx52::SettingsFolder();
    const blx52::StartPicturesResult result = blx52::installStartPictures(source, folder);
    const QString summary = blx52::startPicturesSummary(result, folder);
    if (!result.ok()) {
        std::fprintf(stderr, "blx52: %s\n", qPrintable(summary));
        return 1;
    }
    std::printf("%s\n", qPrintable(summary));
    return 0;
}

// The few requests on the command line are answered without opening a window, so they work
// without a display too. With somewhere to print (always on Linux; on Windows a console or a
// redirection) help and version are printed; otherwise the toolkit shows them in a box.
int answerCommandLine(int argc, char** argv, bool canPrint) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("blx52"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BLX52_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "BLX52 Glowpanel Configurator: edits, reads and writes the settings of a BLX52 Glowpanel\n"
        "on a serial port and edits its 25 pictures. Without options the window opens."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption init(
        QStringLiteral("init-pictures"),
        QStringLiteral("Create the picture folder (%1) with the 25 start pictures; files that "
                       "are there already are kept.")
            .arg(QDir::toNativeSeparators(blx52::SettingsFolder())));
    parser.addOption(init);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A settings file (.blx52) to open in the window, as File, \"Open "
                       "settings...\" does."),
        QStringLiteral("[file]"));
    if (canPrint && parser.parse(QCoreApplication::arguments())) {
        if (parser.isSet(help)) {
            std::printf("%s", qPrintable(parser.helpText()));
            return 0;
        }
        if (parser.isSet(version)) {
            std::printf("blx52 %s\n", BLX52_VERSION);
            return 0;
        }
    }
    parser.process(app);  // answers --help and --version and ends on a wrong option
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "blx52: unexpected argument: %s\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 2;
    }
    return parser.isSet(init) ? initPictures() : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (isCommandLineRequest(argc, argv))
        return answerCommandLine(argc, argv, blx52::attachParentConsole());

    const blx52::FontWarmUp fonts;  // while the toolkit starts
    blx52::Application app(argc, argv);
    // While the window is built; after the toolkit, whose start sets where image plugins are.
    const blx52::EarlyBuiltInPictures pictures;
    // From the wide command line on Windows, so that any file name arrives whole.
    const blx52::StartRequest request = blx52::parseStartArguments(blx52::Application::arguments());
    if (!request.error.isEmpty()) {
        std::fprintf(stderr, "blx52: %s\n", qPrintable(request.error));
        return 2;
    }
    blx52::Application::setApplicationName(QString::fromUtf8(blx52::ProgramTitle));
    blx52::Application::setApplicationVersion(QStringLiteral(BLX52_VERSION));
    blx52::Application::setDesktopFileName(QStringLiteral(BLX52_APP_ID));

    blx52::QtDialogs dialogs;
    blx52::DeviceLink link;
    std::unique_ptr<blx52::TForm1> Form1;
    std::unique_ptr<blx52::TForm2> Form2;
    try {
        // What the window shows first; it is on the screen before the rest is made.
        Form1 =
            std::make_unique<blx52::TForm1>(link, dialogs, blx52::TForm1::Build::ShownPartFirst);
        Form1->showPictureFolderGlyphs();
        blx52::Application::setWindowIcon(blx52::programIcon());
        blx52::showAndWaitForFirstPaint(*Form1);
        Form1->buildHiddenPart();
        // Created hidden; the main window's picture buttons open it.
        Form2 = std::make_unique<blx52::TForm2>(link, dialogs);
        blx52::connectEditor(*Form1, *Form2);
    } catch (...) {
        dialogs.generalError(blx52::HandlerGuard::message(std::current_exception()));
        return 1;
    }
    if (request.settingsFile)
        blx52::openSettingsFileWhenShown(*Form1, *request.settingsFile);
    return blx52::Application::exec();
}
