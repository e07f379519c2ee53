// blx52-layout-dump FILE: shows both windows and writes the place and size of every named control
// (relative to its window's client area) to FILE, one control a line, so that the renders of two
// platforms can be compared control by control.
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QTextStream>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "link/device_link.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/picture_editor.h"

namespace {

// Each control's place within its parent and its size. The window is given by its outer size: the
// client area is what the platform's frame leaves of it. The menu bar, the status bar and the
// client area are left out: their places follow the platform's frame and menu bar height; a
// control that spans its parent's whole width says so instead of giving the width. The last line
// tells whether every visible control still lies inside the client area.
void dump(QTextStream& out, const QString& window, QMainWindow* top) {
    const QSize outer = top->frameGeometry().size();
    out << window << ' ' << outer.width() << ' ' << outer.height() << '\n';
    QWidget* central = top->centralWidget();
    // The client area laid out by hand, inside the scroll area that is the central widget.
    auto* scroll = qobject_cast<QScrollArea*>(central);
    QWidget* client = scroll != nullptr ? scroll->widget() : central;
    QStringList lines;
    bool inside = true;
    for (QWidget* w : top->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        // Qt's own helpers (scroll bars, viewports) are named qt_…; they follow the controls.
        if (name.isEmpty() || name.startsWith(QStringLiteral("qt_")) || w->isWindow() ||
            w == central || w == client || qobject_cast<QMenuBar*>(w) != nullptr ||
            qobject_cast<QStatusBar*>(w) != nullptr) {
            continue;
        }
        const QRect g = w->geometry();
        const bool spansParent = g.x() == 0 && g.width() == w->parentWidget()->width();
        const bool visible = w->isVisibleTo(top);
        lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                     .arg(window, name, w->parentWidget()->objectName())
                     .arg(g.x())
                     .arg(g.y())
                     .arg(spansParent ? QStringLiteral("full") : QString::number(g.width()))
                     .arg(g.height())
                     .arg(visible ? 1 : 0);
        if (visible && client != nullptr && client->isAncestorOf(w) &&
            !client->rect().contains(QRect(w->mapTo(client, QPoint(0, 0)), w->size()))) {
            inside = false;
            out << window << " outside-client-area " << name << '\n';
        }
    }
    lines.sort();
    for (const QString& line : lines)
        out << line << '\n';
    out << window << " all-controls-inside-client-area " << (inside ? 1 : 0) << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    blx52::Application app(argc, argv);
    const bool help =
        argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
    if (argc != 2 || help) {
        std::fprintf(help ? stdout : stderr,
                     "usage: blx52-layout-dump FILE\n"
                     "Writes where every control of both windows lies into FILE.\n");
        return help ? 0 : 2;
    }
    blx52::QtDialogs dialogs;
    blx52::DeviceLink link;
    blx52::TForm1 form1(link, dialogs);
    blx52::TForm2 form2(link, dialogs, QDir::tempPath() + QStringLiteral("/"));
    form1.show();
    form2.show();
    blx52::Application::processEvents();

    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "blx52-layout-dump: cannot write %s\n", argv[1]);
        return 1;
    }
    QTextStream out(&file);
    dump(out, QStringLiteral("Form1"), &form1);
    dump(out, QStringLiteral("Form2"), &form2);
    return 0;
}
