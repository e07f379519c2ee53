#include <QIcon>

#include "link/device_link.h"
#include "ui/Unit1.h"
#include "ui/application.h"
#include "ui/dialogs.h"

int main(int argc, char** argv) {
    blx52::Application app(argc, argv);
    blx52::Application::setApplicationName(QString::fromUtf8(blx52::ProgramTitle));
    blx52::Application::setWindowIcon(QIcon(QStringLiteral(":/blx52/icon.png")));

    blx52::QtDialogs dialogs;
    blx52::DeviceLink link;
    blx52::TForm1 Form1(link, dialogs);
    Form1.show();
    return blx52::Application::exec();
}
