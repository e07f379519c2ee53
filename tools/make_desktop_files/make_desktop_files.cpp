// Makes the files the installed program ships besides itself, from the program's own resources
// and code, so they never drift from what the program shows and writes:
//   start-pictures GLYPHS OUT   the 25 start pictures as the editor saves them (In0_Pic0.bmp …)
//   screenshot OUT.png          the main window as it opens
//   manual-pictures PICTURES OUT  the manual's screenshots: the main window, the editor on a
//                               start picture and the canvas beside it (PICTURES: the start
//                               pictures, so that no user's folder shows)
// Runs on the offscreen platform at build time.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "link/device_link.h"
#include "picture/picture.h"
#include "picture/picture_files.h"
#include "picture/slot_table.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/picture_canvas.h"
#include "ui/picture_editor.h"

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "blx52-make-desktop-files: %s\n", qPrintable(message));
    return 1;
}

int startPictures(const QString& glyphs, const QString& out) {
    if (!QDir().mkpath(out))
        return fail(QStringLiteral("cannot create %1").arg(out));
    for (const blx52::PictureSlot& slot : blx52::pictureSlots()) {
        const QString source = QStringLiteral("%1/glyph_%2.png").arg(glyphs).arg(slot.code);
        const QImage image(source);
        const auto picture = blx52::Picture::fromImage(image);
        if (!picture)
            return fail(QStringLiteral("no 32 x 32 picture: %1").arg(source));
        // The editor's own writer: the shipped files are byte for byte what Save would write.
        if (const auto error = blx52::saveBitmap(*picture, blx52::bitmapFilePath(slot, out + '/')))
            return fail(*error);
    }
    return 0;
}

int screenshot(const QString& out) {
    blx52::QtDialogs dialogs;
    blx52::DeviceLink link;
    blx52::TForm1 form(link, dialogs);
    form.show();
    QApplication::processEvents();
    const QDir folder = QFileInfo(out).dir();
    if (!QDir().mkpath(folder.path()) || !form.grab().save(out, "PNG"))
        return fail(QStringLiteral("cannot write %1").arg(out));
    return 0;
}

int manualPictures(const QString& pictures, const QString& out) {
    if (!QDir().mkpath(out))
        return fail(QStringLiteral("cannot create %1").arg(out));
    blx52::QtDialogs dialogs;
    blx52::DeviceLink link;
    blx52::TForm1 form(link, dialogs);
    blx52::TForm2 editor(link, dialogs, pictures + '/');
    blx52::connectEditor(form, editor);
    form.show();
    QApplication::processEvents();
    const auto save = [&out](QWidget& window, const char* name) {
        QApplication::processEvents();
        return window.grab().save(QStringLiteral("%1/%2").arg(out, QLatin1String(name)), "PNG");
    };
    if (!save(form, "main-window.png"))
        return fail(QStringLiteral("cannot write %1/main-window.png").arg(out));
    // The warning triangle of the first start pictures' in0 slot.
    form.openPictureEditor(blx52::pictureSlots().front().code);
    editor.openCanvas();
    // The offscreen screen is small; the canvas is shown at the size it opens with elsewhere.
    editor.canvas()->resize(640, 600);
    if (!save(editor, "picture-editor.png") || !save(*editor.canvas(), "canvas.png"))
        return fail(QStringLiteral("cannot write the editor's pictures into %1").arg(out));
    return 0;
}

int usage(std::FILE* to = stderr, int status = 2) {
    std::fprintf(to,
                 "usage: blx52-make-desktop-files start-pictures GLYPHS OUT\n"
                 "       blx52-make-desktop-files screenshot OUT.png\n"
                 "       blx52-make-desktop-files manual-pictures PICTURES OUT\n");
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")))
        return usage(stdout, 0);
    if (args.size() == 3 && args[0] == QLatin1String("start-pictures"))
        return startPictures(args[1], args[2]);
    if (args.size() == 2 && args[0] == QLatin1String("screenshot"))
        return screenshot(args[1]);
    if (args.size() == 3 && args[0] == QLatin1String("manual-pictures"))
        return manualPictures(args[1], args[2]);
    return usage();
}
