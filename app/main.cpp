#include <QIcon>
#include <exception>
#include <memory>

#include "link/device_link.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/handler_guard.h"

int main(int argc, char** argv) {
    blx52::Application app(argc, argv);
    blx52::Application::setApplicationName(QString::fromUtf8(blx52::ProgramTitle));
    blx52::Application::setWindowIcon(QIcon(QStringLiteral(":/blx52/icon.png")));

    blx52::QtDialogs dialogs;
    blx52::DeviceLink link;
    std::unique_ptr<blx52::TForm1> Form1;
    std::unique_ptr<blx52::TForm2> Form2;
    try {
        Form1 = std::make_unique<blx52::TForm1>(link, dialogs);
        // Created hidden; the main window's picture buttons open it.
        Form2 = std::make_unique<blx52::TForm2>(link, dialogs);
        blx52::connectEditor(*Form1, *Form2);
    } catch (...) {
        dialogs.generalError(blx52::HandlerGuard::message(std::current_exception()));
        return 1;
    }
    Form1->show();
    return blx52::Application::exec();
}
