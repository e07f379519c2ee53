#include <QApplication>
#include <QIcon>

#include "editor_fixture.h"
#include "picture/presets.h"

namespace blx52 {
namespace {

using EditorPen = EditorTest;

// Each colour button shows its colour framed in black (black itself as grey), and sets pen and
// swatch.
TEST_F(EditorPen, NoColourDrawsNothingAndEachColourButtonSetsPenAndSwatch) {
    putBitmap(100, Picture());
    clickMain(QStringLiteral("BitBtn1"));
    click(QStringLiteral("Button5"));
    EXPECT_EQ(form2->picture(), Picture());

    const struct {
        const char* button;
        int code;
        QColor swatch;
        QColor glyph;
    } colors[] = {{"BitBtn5", 1, QColor(255, 0, 0), QColor(255, 0, 0)},
                  {"BitBtn7", 2, QColor(0, 255, 0), QColor(0, 255, 0)},
                  {"BitBtn6", 3, QColor(255, 255, 0), QColor(255, 255, 0)},
                  {"BitBtn9", 4, QColor(0, 0, 255), QColor(0, 0, 255)},
                  {"BitBtn10", 5, QColor(255, 0, 255), QColor(255, 0, 255)},
                  {"BitBtn8", 6, QColor(0, 128, 128), QColor(0, 128, 128)},
                  {"BitBtn11", 7, QColor(255, 255, 255), QColor(255, 255, 255)},
                  {"BitBtn4", 0, QColor(0, 0, 0), QColor(128, 128, 128)}};
    int column = 0;
    for (const auto& c : colors) {
        SCOPED_TRACE(c.button);
        QPushButton* b = form2->button(QString::fromLatin1(c.button));
        EXPECT_EQ(b->iconSize(), QSize(16, 16));
        const QImage glyph = b->icon().pixmap(16, 16).toImage();
        ASSERT_EQ(glyph.size(), QSize(16, 16));
        for (const QPoint frame : {QPoint(0, 0), QPoint(15, 7), QPoint(7, 15), QPoint(0, 15)})
            EXPECT_EQ(glyph.pixelColor(frame), QColor(Qt::black));
        for (const QPoint inside : {QPoint(1, 1), QPoint(8, 8), QPoint(14, 14)})
            EXPECT_EQ(glyph.pixelColor(inside), c.glyph);

        click(QString::fromLatin1(c.button));
        EXPECT_EQ(edit("Edit3")->palette().color(QPalette::Base), c.swatch);
        ASSERT_TRUE(form2->pen().color.has_value());
        EXPECT_EQ(ledCode(*form2->pen().color), c.code);
        edit("Edit1")->setText(QString::number(++column));
        click(QStringLiteral("Button5"));
        EXPECT_EQ(form2->picture().code(column, 0), c.code);
    }
    // Black over white: the last colour really wrote.
    click(QStringLiteral("BitBtn11"));
    click(QStringLiteral("Button5"));
    click(QStringLiteral("BitBtn4"));
    click(QStringLiteral("Button5"));
    EXPECT_EQ(form2->picture().pixel(column, 0), qRgb(0, 0, 0));
    EXPECT_EQ(form2->pictureView()->pixmap().toImage(), form2->picture().image());
}

// A typed value beyond the matrix wraps forwards to 0 and steps back by one, as typed.
TEST_F(EditorPen, MovesWrapAroundAndShowTheNewPosition) {
    const struct {
        const char* edit;
        void (TForm2::*back)();
        void (TForm2::*forward)();
        int Pen::*coordinate;
    } axes[] = {{"Edit1", &TForm2::Button7Click, &TForm2::Button8Click, &Pen::column},
                {"Edit2", &TForm2::Button9Click, &TForm2::Button10Click, &Pen::row}};
    const struct {
        const char* typed;
        bool forward;
        int expected;
    } steps[] = {{nullptr, false, 31}, {nullptr, true, 0}, {nullptr, true, 1}, {nullptr, true, 2},
                 {nullptr, false, 1},  {"40", true, 0},    {"40", false, 39}};
    for (const auto& axis : axes) {
        int n = 0;
        for (const auto& step : steps) {
            SCOPED_TRACE(testing::Message() << axis.edit << " step " << n++);
            if (step.typed)
                edit(axis.edit)->setText(QString::fromLatin1(step.typed));
            (form2.get()->*(step.forward ? axis.forward : axis.back))();
            EXPECT_EQ(edit(axis.edit)->text(), QString::number(step.expected));
            EXPECT_EQ(form2->pen().*axis.coordinate, step.expected);
        }
    }
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST_F(EditorPen, TypedCoordinatesEmptyForbiddenAndNoNumber) {
    QLineEdit* column = edit("Edit1");
    QLineEdit* row = edit("Edit2");
    column->setText(QStringLiteral("17"));
    EXPECT_EQ(form2->pen().column, 17);
    column->setText(QString());
    EXPECT_EQ(column->text(), QStringLiteral("0"));
    EXPECT_EQ(form2->pen().column, 0);
    EXPECT_TRUE(dialogs.log.isEmpty());

    row->setText(QStringLiteral("a"));
    EXPECT_EQ(row->text(), QStringLiteral("31"));
    EXPECT_EQ(form2->pen().row, 31);
    column->setText(QStringLiteral("1.5 x"));
    EXPECT_EQ(column->text(), QStringLiteral("31"));
    EXPECT_EQ(form2->pen().column, 31);
    // One message per rejected text.
    EXPECT_EQ(dialogs.log, QStringList(2, QStringLiteral("errorOk: Bitte nur Zahlen eingeben!")));
    EXPECT_EQ(dialogs.errorBeeps, 2);
    EXPECT_EQ(dialogs.beeps, 0);

    // No upper bound; only a text that is no integer at all is refused, naming it.
    column->setText(QStringLiteral("45"));
    EXPECT_EQ(form2->pen().column, 45);
    dialogs.log.clear();
    column->setText(QStringLiteral("99999999999"));
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("'99999999999'")))
        << dialogs.log[0].toStdString();
    EXPECT_EQ(form2->pen().column, 45);
    EXPECT_EQ(column->text(), QStringLiteral("99999999999"));
}

TEST_F(EditorPen, PointsBeyondTheMatrixAreNotDrawn) {
    openBlackWithPen(QStringLiteral("BitBtn5"), 32, 5);
    click(QStringLiteral("Button5"));
    edit("Edit1")->setText(QStringLiteral("5"));
    edit("Edit2")->setText(QStringLiteral("40"));
    click(QStringLiteral("Button5"));
    EXPECT_EQ(form2->picture(), Picture());
    edit("Edit2")->setText(QStringLiteral("31"));
    edit("Edit1")->setText(QStringLiteral("31"));
    click(QStringLiteral("Button5"));
    EXPECT_EQ(form2->picture().code(31, 31), 1);
}

TEST_F(EditorPen, TabbingOntoDrawButtonDrawsAPoint) {
    openBlackWithPen(QStringLiteral("BitBtn9"), 3, 4);
    form2->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form2.get()));
    QPushButton* send = form2->button(QStringLiteral("Button4"));
    send->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(form2->picture(), Picture());
    QTest::keyClick(send, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form2->button(QStringLiteral("Button5")));
    EXPECT_EQ(form2->picture().code(3, 4), 4);
    Picture expected;
    expected.setPixel(3, 4, LedColor::Blue);
    EXPECT_EQ(form2->picture(), expected);
    EXPECT_EQ(form2->pictureView()->pixmap().toImage(), expected.image());
}

TEST_F(EditorPen, ResetAndPresetsReplaceThePictureButKeepThePen) {
    openBlackWithPen(QStringLiteral("BitBtn7"), 9, 10);
    // Each preset button shows the picture it gives.
    const struct {
        const char* name;
        Picture picture;
    } presets[] = {{"BitBtn1", warningTrianglePicture()},
                   {"BitBtn2", prohibitionSignPicture()},
                   {"BitBtn3", blueDiscPicture()}};
    for (const auto& p : presets) {
        SCOPED_TRACE(p.name);
        QPushButton* b = form2->button(QString::fromLatin1(p.name));
        EXPECT_EQ(b->iconSize(), QSize(32, 32));
        const auto shown = Picture::fromImage(b->icon().pixmap(32, 32).toImage());
        ASSERT_TRUE(shown.has_value());
        EXPECT_EQ(*shown, p.picture);
        click(QString::fromLatin1(p.name));
        EXPECT_EQ(form2->picture(), p.picture);
        EXPECT_EQ(form2->pictureView()->pixmap().toImage(), p.picture.image());
    }
    click(QStringLiteral("Button3"));
    EXPECT_EQ(form2->picture(), Picture());
    EXPECT_EQ(form2->pictureView()->pixmap().toImage(), Picture().image());
    ASSERT_TRUE(form2->pen().color.has_value());
    EXPECT_EQ(*form2->pen().color, LedColor::Green);
    EXPECT_EQ(form2->pen().column, 9);
    EXPECT_EQ(form2->pen().row, 10);
    EXPECT_EQ(edit("Edit1")->text(), QStringLiteral("9"));
}

}  // namespace
}  // namespace blx52
