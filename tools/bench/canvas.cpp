// canvas: the canvas window per mouse event (a pencil stroke and an ellipse
// drag, each event with the canvas and the editor's Image2 repainted at once) and the import of
// a 4000 x 3000 photo-like image (scaling and colour mapping, with and without dithering).
#include <QApplication>
#include <QBuffer>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "link/device_link.h"
#include "picture/picture_files.h"
#include "picture/picture_import.h"
#include "picture/slot_table.h"
#include "tools/bench/answer_ok_dialogs.h"
#include "tools/bench/bench.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/picture_canvas.h"
#include "ui/picture_editor.h"

namespace blx52::bench {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Prints the spread of `ms`; gives its median.
double report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    auto at = [&ms](double q) { return ms[std::size_t(q * double(ms.size() - 1))]; };
    std::printf("%-44s n %4zu  median %7.3f ms  95%% %7.3f ms  max %7.3f ms\n", what, ms.size(),
                at(0.5), at(0.95), ms.back());
    return at(0.5);
}

// Times `rounds` imports of the image `read` gives, its reading included. False when no image
// came; the picture is looked at so that the import is not optimised away.
template <class Read>
bool timeImports(const char* what, int rounds, ImportOptions options, Read read) {
    std::vector<double> ms;
    for (int k = 0; k < rounds; ++k) {
        const auto start = Clock::now();
        const QImage image = read();
        const Picture p = importImage(image, options);
        ms.push_back(msSince(start));
        if (image.isNull() || p.code(0, 0) > 7)
            return false;
    }
    report(what, ms);
    return true;
}

// Smooth colour fields, edges and noise, as a photo has them.
QImage photoLike(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    std::uint32_t seed = 12345;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            const int noise = int(seed % 41) - 20;
            const double fx = double(x) / w;
            const double fy = double(y) / h;
            const bool disc = (fx - 0.6) * (fx - 0.6) + (fy - 0.4) * (fy - 0.4) < 0.04;
            const int r = int(255 * fx) + noise;
            const int g = int(127 + 127 * std::sin(fy * 9.0)) + noise;
            const int b = disc ? 230 : int(255 * (1 - fx) * fy) + noise;
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return image;
}

// Counts the paints of a widget, so the figures show that painting was part of them.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

}  // namespace

int measureCanvas(const Run& run) {
    const char* photoFile = nullptr;
    if (run.args.size() == 1 && run.args[0][0] != '-')
        photoFile = run.args[0].c_str();
    else if (!run.args.empty())
        return 2;
    AppArguments arguments;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(arguments.argc, arguments.argv);
    QTemporaryDir home;
    const QString folder = home.path() + QStringLiteral("/");
    AnswerOkDialogs dialogs;
    DeviceLink link;
    TForm1 form1(link, dialogs);
    TForm2 form2(link, dialogs, folder);
    connectEditor(form1, form2);
    if (saveBitmap(Picture(), bitmapFilePath(*findSlot(100), folder))) {
        std::fprintf(stderr, "cannot write the start picture\n");
        return 1;
    }
    form1.show();
    form2.openForSlot(100);
    form2.openCanvas();
    PictureCanvas* canvas = form2.canvas();
    canvas->resize(760, 640);
    canvas->setZoom(16);
    CanvasView* view = canvas->view();
    QApplication::processEvents();

    PaintCounter canvasPaints;
    PaintCounter image2Paints;
    view->installEventFilter(&canvasPaints);
    form2.pictureView()->installEventFilter(&image2Paints);

    auto send = [view](QEvent::Type type, QPointF at, Qt::MouseButton button,
                       Qt::MouseButtons held) {
        QMouseEvent event(type, at, view->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    };
    // One mouse event, then the canvas and Image2 painted as the screen would get them.
    auto drag = [&](CanvasTool tool, const std::function<QPointF(int)>& path, int events) {
        canvas->setTool(tool);
        std::vector<double> ms;
        send(QEvent::MouseButtonPress, path(0), Qt::LeftButton, Qt::LeftButton);
        for (int k = 1; k <= events; ++k) {
            const auto start = Clock::now();
            send(QEvent::MouseMove, path(k), Qt::NoButton, Qt::LeftButton);
            // What the event asked to be painted, painted now (both windows' update requests).
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
            ms.push_back(msSince(start));
        }
        send(QEvent::MouseButtonRelease, path(events), Qt::LeftButton, Qt::NoButton);
        return ms;
    };
    const double size = 32 * view->zoom();
    const double pencil = report("pencil stroke, per mouse event (16x)",
                                 drag(
                                     CanvasTool::Pencil,
                                     [size](int k) {
                                         const double t = k * 0.05;
                                         return QPointF(size / 2 + size * 0.45 * std::sin(t),
                                                        size / 2 + size * 0.45 * std::cos(t * 1.3));
                                     },
                                     1000));
    report("ellipse drag, per mouse event (16x)", drag(
                                                      CanvasTool::Ellipse,
                                                      [size](int k) {
                                                          return QPointF(
                                                              8 + std::fmod(k * 7.0, size - 16),
                                                              8 + std::fmod(k * 5.0, size - 16));
                                                      },
                                                      1000));
    report("filled rectangle drag, per mouse event (16x)",
           drag(
               CanvasTool::FilledRectangle,
               [size](int k) {
                   return QPointF(8 + std::fmod(k * 3.0, size - 16),
                                  8 + std::fmod(k * 11.0, size - 16));
               },
               1000));

    run.add({"canvas pencil, per mouse event", pencil, "one frame at 60 Hz", 1000.0 / 60, 1.0});
    std::printf("(painted meanwhile: canvas %d times, Image2 %d times)\n", canvasPaints.paints,
                image2Paints.paints);

    const QImage photo = photoLike(4000, 3000);
    const struct {
        const char* name;
        ImportOptions options;
    } imports[] = {
        {"import 4000x3000, whole image, dithering",
         {ImportFit::Letterbox, ImportColors::FloydSteinberg}},
        {"import 4000x3000, crop, dithering", {ImportFit::Crop, ImportColors::FloydSteinberg}},
        {"import 4000x3000, whole image, nearest", {ImportFit::Letterbox, ImportColors::Nearest}},
    };
    for (const auto& i : imports) {
        if (!timeImports(i.name, 7, i.options, [&photo] { return photo; }))
            return 1;
    }
    const ImportOptions dithered{ImportFit::Letterbox, ImportColors::FloydSteinberg};
    // From a JPEG file as well, where this Qt reads JPEG, decoded as an import reads it.
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (photo.save(&buffer, "JPEG", 90)) {
        if (!timeImports("JPEG 4000x3000 decoded and imported, dithering", 3, dithered,
                         [&jpeg] { return readImageForImport(jpeg); }))
            return 1;
    } else {
        std::printf("(no JPEG writer in this Qt: the decode is not timed)\n");
    }
    if (photoFile != nullptr) {
        const QString path = QString::fromLocal8Bit(photoFile);
        QString why;
        if (!timeImports("the photo file read, decoded, imported, dithering", 5, dithered,
                         [&] { return readImageForImport(path, &why); })) {
            std::fprintf(stderr, "blx52-bench: %s: %s\n", photoFile, qPrintable(why));
            return 1;
        }
    }
    return dialogs.messages == 0 ? 0 : 1;
}

}  // namespace blx52::bench
