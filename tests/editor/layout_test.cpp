#include <QApplication>
#include <QGroupBox>
#include <QToolBar>

#include "editor_fixture.h"
#include "picture/presets.h"

namespace blx52 {
namespace {

using EditorLayout = EditorTest;

QRect placeOf(const TForm2& form, const QWidget* w) {
    return {w->mapTo(form.centralWidget(), QPoint(0, 0)), w->size()};
}

TEST_F(EditorLayout, WindowStartsHiddenWithTheInitialPictureAndNoSlot) {
    EXPECT_FALSE(form2->isVisible());
    EXPECT_EQ(form2->windowTitle(), QStringLiteral("BLX52 Glowpanel - Picture Editor"));
    EXPECT_EQ(form2->size(), QSize(564, 398));
    EXPECT_EQ(form2->picture(), initialPicture());
    EXPECT_EQ(form2->pictureView()->pixmap().toImage(), initialPicture().image());
    EXPECT_FALSE(form2->pen().color.has_value());
    EXPECT_EQ(form2->pen().column, 0);
    EXPECT_EQ(form2->pen().row, 0);
    EXPECT_TRUE(slotText().isEmpty());
    EXPECT_EQ(form2->currentSlot(), nullptr);
    EXPECT_EQ(form2->comboBox()->currentText(), QStringLiteral("In0_Pic0"));
    EXPECT_FALSE(form2->portWarningShown());
    for (const char* hidden : {"Memo1", "CheckBox2"}) {
        QWidget* w = form2->findChild<QWidget*>(QString::fromLatin1(hidden));
        ASSERT_NE(w, nullptr) << hidden;
        EXPECT_TRUE(w->isHidden()) << hidden;
    }
    auto* strip = form2->findChild<QToolBar*>();
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(placeOf(*form2, strip), QRect(0, 0, 564, 29));
    auto* image1 = form2->findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(image1, nullptr);
    EXPECT_EQ(image1->size(), QSize(32, 32));
}

TEST_F(EditorLayout, ControlsSitWhereTheDesignerPutThem) {
    struct Place {
        const char* name;
        int x, y, w, h;
        const char* caption;  // none for controls without one
    };
    // clang-format off
    const Place places[] = {
        {"GroupBox3", 24, 48, 73, 297, "Pen Color:"},
        {"GroupBox4", 112, 48, 169, 297, "Pen Navigation:"},
        {"GroupBox2", 296, 48, 89, 297, "Picture Presets:"},
        {"GroupBox1", 400, 48, 129, 297, "Picture File: "}, {"BitBtn4", 48, 80, 24, 24, ""},
        {"BitBtn5", 48, 112, 24, 24, ""}, {"BitBtn6", 48, 144, 24, 24, ""},
        {"BitBtn7", 48, 176, 24, 24, ""}, {"BitBtn8", 48, 208, 24, 24, ""},
        {"BitBtn9", 48, 240, 24, 24, ""}, {"BitBtn10", 48, 272, 24, 24, ""},
        {"BitBtn11", 48, 304, 24, 24, ""}, {"Image2", 176, 128, 32, 32, nullptr},
        {"Edit1", 176, 88, 32, 21, nullptr}, {"Edit2", 224, 128, 32, 21, nullptr},
        {"Edit3", 128, 128, 32, 21, nullptr}, {"Button9", 176, 176, 40, 40, "^"},
        {"Button7", 128, 224, 40, 40, "<"}, {"Button5", 176, 224, 40, 40, "x"},
        {"Button8", 224, 224, 40, 40, ">"}, {"Button10", 176, 272, 40, 40, "v"},
        {"Button3", 320, 128, 40, 40, "Reset"}, {"BitBtn3", 320, 176, 40, 40, ""},
        {"BitBtn2", 320, 224, 40, 40, ""}, {"BitBtn1", 320, 272, 40, 40, ""},
        {"Button20", 424, 184, 81, 25, "Load from file"},
        {"Button17", 424, 232, 81, 25, "Save to file"},
        {"Button4", 424, 280, 81, 25, "Send to device"}};
    // clang-format on
    for (const auto& p : places) {
        QWidget* w = form2->findChild<QWidget*>(QString::fromLatin1(p.name));
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(placeOf(*form2, w), QRect(p.x, p.y, p.w, p.h)) << p.name;
        if (!p.caption)
            continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_EQ(b->text(), QString::fromLatin1(p.caption)) << p.name;
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            EXPECT_EQ(g->title(), QString::fromLatin1(p.caption)) << p.name;
        }
    }
    QComboBox* combo = form2->comboBox();
    EXPECT_EQ(placeOf(*form2, combo).topLeft(), QPoint(424, 136));
    EXPECT_EQ(combo->width(), 81);
}

TEST_F(EditorLayout, EditsComboAndCursors) {
    for (const char* name : {"Edit1", "Edit2"}) {
        EXPECT_EQ(edit(name)->text(), QStringLiteral("0")) << name;
        EXPECT_EQ(edit(name)->placeholderText(), QStringLiteral("0 ... 31")) << name;
        EXPECT_TRUE(edit(name)->toolTip().isEmpty()) << name;
    }
    EXPECT_TRUE(edit("Edit3")->text().isEmpty());
    EXPECT_EQ(edit("Edit3")->cursor().shape(), Qt::ForbiddenCursor);
    EXPECT_EQ(edit("Edit3")->palette().color(QPalette::Base), TForm1::clMenu());

    QStringList entries;
    for (const char* section : {"In0", "In1", "In2", "In12"}) {
        for (int k = 0; k < 4; ++k)
            entries << QStringLiteral("%1_Pic%2").arg(section).arg(k);
    }
    for (int k = 0; k < 6; ++k)
        entries << QStringLiteral("Reset_Pic%1").arg(k);
    for (int k = 0; k < 3; ++k)
        entries << QStringLiteral("StandBy_Pic%1").arg(k);
    QStringList items;
    for (int i = 0; i < form2->comboBox()->count(); ++i)
        items << form2->comboBox()->itemText(i);
    EXPECT_EQ(items, entries);
    EXPECT_TRUE(form2->comboBox()->isEditable());

    QStringList hands = {"Button5", "Button7", "Button8", "Button9", "Button10"};
    for (int k = 1; k <= 11; ++k)
        hands << QStringLiteral("BitBtn%1").arg(k);
    for (const QString& name : hands) {
        EXPECT_EQ(form2->button(name)->cursor().shape(), Qt::PointingHandCursor)
            << name.toStdString();
    }
    EXPECT_NE(form2->button(QStringLiteral("Button4"))->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(EditorLayout, TabOrderFollowsTheDesigner) {
    QStringList expected = {"Button3", "Button4",  "Button5", "Edit1", "Button7",  "Button8",
                            "Button9", "Button10", "Edit2",   "Edit3", "Button17", "Button20"};
    for (int k = 1; k <= 11; ++k)
        expected << QStringLiteral("BitBtn%1").arg(k);
    expected << QStringLiteral("ComboBox1");

    QWidget* start = form2->button(QStringLiteral("Button3"));
    QStringList seen;
    QWidget* w = start;
    do {
        if (expected.contains(w->objectName()) && !seen.contains(w->objectName())) {
            seen << w->objectName();
        }
        w = w->nextInFocusChain();
    } while (w != start);
    EXPECT_EQ(seen, expected);

    // The first control of the order has the focus when the editor first comes up.
    form2->openForSlot(100);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form2.get()));
    EXPECT_EQ(QApplication::focusWidget(), start);
}

}  // namespace
}  // namespace blx52
