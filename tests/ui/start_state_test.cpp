#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>

#include "form_fixture.h"
#include "picture/slot_table.h"
#include "settings/settings_table.h"
#include "ui/start_file.h"

namespace blx52 {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

using StartState = FormTest;

// The box a control sits in, in reading order; -1 outside every box.
int boxRank(const QWidget* w) {
    static const QStringList boxes = {"GroupBox_in0",        "GroupBox_in3",       "GroupBox_in1",
                                      "GroupBox_in2",        "GroupBox_res",       "GroupBox_sby",
                                      "GroupBox_connection", "GroupBox_brightness"};
    for (; w != nullptr; w = w->parentWidget()) {
        if (boxes.contains(w->objectName()))
            return static_cast<int>(boxes.indexOf(w->objectName()));
    }
    return -1;
}

TEST_F(StartState, TabGoesThroughEveryControlInReadingOrderAndComesRound) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QWidget* first = form->button(qs(pictureSlots().front().mainButton));
    first->setFocus(Qt::TabFocusReason);
    QStringList order;
    QList<QWidget*> reached;
    for (int k = 0; k < 300; ++k) {
        QWidget* at = QApplication::focusWidget();
        ASSERT_NE(at, nullptr);
        if (k > 0 && at == first)
            break;
        order << at->objectName();
        reached << at;
        QTest::keyClick(at, Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), first) << order.join(u' ').toStdString();
    ASSERT_GE(order.size(), 7);
    EXPECT_EQ(order.mid(order.size() - 7),
              (QStringList{"ComboBox13", "Button1", "Button2", "Button6", "Button7", "Button8",
                           "TrackBar1"}));
    for (int k = 1; k < reached.size(); ++k) {
        EXPECT_LE(boxRank(reached[k - 1]), boxRank(reached[k]))
            << order[k - 1].toStdString() << " before " << order[k].toStdString();
    }
    // Every control that takes the focus is on the way, each once.
    QSet<QWidget*> focusable;
    for (QWidget* w : form->centralWidget()->findChildren<QWidget*>()) {
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            w->focusProxy() == nullptr) {
            focusable.insert(w);
        }
    }
    EXPECT_EQ(QSet<QWidget*>(reached.begin(), reached.end()), focusable);
    EXPECT_EQ(reached.size(), focusable.size());
    // A memo on the way passes Tab on and keeps its text.
    for (const auto& d : soundTimeDisplays()) {
        EXPECT_TRUE(order.contains(qs(d.unitMemo)));
        EXPECT_EQ(form->controlText(qs(d.unitMemo)), qs(d.startUnit));
    }
}

TEST_F(StartState, WindowStatusBarAndStrips) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("BLX52 Glowpanel - Configurator"));
    const QStringList texts = {"SW-PN: BLX52", "SW-Ver.: V2.4", "HW-PN: BLH52",
                               "FW-Ver.: ",    "COM1",          "Welcome"};
    const int widths[] = {85, 85, 85, 85, 85, 650, 120};
    for (int i = 0; i < TForm1::PanelCount; ++i) {
        auto* panel = form->findChild<QLabel*>(QStringLiteral("Panel%1").arg(i));
        ASSERT_NE(panel, nullptr) << i;
        EXPECT_EQ(panel->width(), widths[i]) << i;
        if (i < texts.size()) {
            EXPECT_EQ(form->panelText(i), texts[i]) << i;
        }
    }
    EXPECT_FALSE(form->panelText(6).isEmpty());
    EXPECT_EQ(form->statusBar()->objectName(), QStringLiteral("StatusBar1"));

    for (const char* red : {"Memo36", "Memo38", "Memo39"}) {
        EXPECT_EQ(form->stripColor(QString::fromLatin1(red)), TForm1::clRed()) << red;
    }
    for (const char* menu : {"Memo37", "Memo40", "Memo41"}) {
        EXPECT_EQ(form->stripColor(QString::fromLatin1(menu)), TForm1::clMenu()) << menu;
    }
    EXPECT_FALSE(form->settingsChanged());
    EXPECT_EQ(form->progressBar()->minimum(), 0);
    EXPECT_EQ(form->progressBar()->maximum(), 90);
    EXPECT_EQ(form->progress(), 0);
}

// The start value of every setting is what a write of the untouched window sends (checked
// against the independent table in the window's write test); here what that cannot see.
TEST_F(StartState, StartTextsAndChoices) {
    for (const auto& s : allSettings()) {
        if (s.kind == FieldKind::Pitch) {
            EXPECT_EQ(form->comboBox(qs(s.control))->count(), 17) << s.control;
        }
    }
    EXPECT_EQ(form->comboBox(QStringLiteral("ComboBox1"))->currentText(), QStringLiteral("A7"));
    EXPECT_EQ(form->comboBox(QStringLiteral("ComboBox32"))->currentText(), QStringLiteral("Pause"));
    EXPECT_EQ(form->comboBox(QStringLiteral("ComboBox13"))->count(), 9);
    EXPECT_EQ(form->comboBox(QStringLiteral("ComboBox13"))->currentText(), QStringLiteral("COM1"));
    EXPECT_EQ(link.PortName, "COM1");
    // No rule ran at creation: the sound times keep their start texts, Memo34 stays empty.
    EXPECT_EQ(text("Edit44"), QStringLiteral("0,1"));
    EXPECT_EQ(text("Memo45"), QStringLiteral("sec"));
    for (const char* display : {"Edit36", "Edit48", "Edit68"})
        EXPECT_EQ(text(display), QStringLiteral("5"));
    for (const char* unit : {"Memo44", "Memo46", "Memo47"})
        EXPECT_EQ(text(unit), QStringLiteral("min"));
    EXPECT_EQ(text("Memo34"), QString());
    EXPECT_EQ(text("Memo42"), QStringLiteral("0"));
    EXPECT_EQ(text("Memo43"), QStringLiteral("0"));
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST_F(StartState, HiddenControlsExistAndStayHidden) {
    QStringList hidden = {"Memo34", "Memo35", "Memo42",    "Memo43",
                          "Memo48", "Memo49", "CheckBox1", "CheckBox2"};
    for (int k = 1; k <= 33; ++k)
        hidden << QStringLiteral("Memo%1").arg(k);
    for (const QString& name : hidden) {
        auto* w = form->findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        EXPECT_FALSE(w->isVisible()) << name.toStdString();
    }
    QStringList shown = {"Image22", "TrackBar1", "ProgressBar1", "ComboBox13"};
    for (int k = 36; k <= 41; ++k)
        shown << QStringLiteral("Memo%1").arg(k);
    for (int k = 44; k <= 47; ++k)
        shown << QStringLiteral("Memo%1").arg(k);
    for (int k = 1; k <= 19; ++k)
        shown << QStringLiteral("RadioButton%1").arg(k);
    for (int k = 1; k <= 25; ++k)
        shown << QStringLiteral("BitBtn%1").arg(k);
    for (int k : {1, 2, 6, 7, 8})
        shown << QStringLiteral("Button%1").arg(k);
    for (const auto& s : allSettings()) {
        if (!s.control.empty()) {
            shown << qs(s.control);
        }
    }
    for (const QString& name : shown) {
        auto* w = form->findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        EXPECT_TRUE(w->isVisible()) << name.toStdString();
    }
    for (int k : {3, 4, 5})
        EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("Button%1").arg(k)), nullptr);
}

// As the program starts it: what the window shows first; the hidden part once it has painted.
// Then it is the same window with the same rules.
TEST_F(StartState, ShownPartFirstIsTheSameWindowOnceTheHiddenPartIsMade) {
    const auto census = [](const TForm1& window) {
        QStringList rows;
        for (const QWidget* c : window.findChildren<QWidget*>()) {
            if (c->objectName().isEmpty() || c->objectName().startsWith(u"qt_"))
                continue;
            rows << QStringLiteral("%1 %2 %3 %4")
                        .arg(c->objectName(), QString::fromLatin1(c->metaObject()->className()))
                        .arg(c->isHidden())
                        .arg(QStringLiteral("%1,%2 %3x%4")
                                 .arg(c->x())
                                 .arg(c->y())
                                 .arg(c->width())
                                 .arg(c->height()));
        }
        rows.sort();
        return rows;
    };
    TForm1 later(link, dialogs, TForm1::Build::ShownPartFirst);
    EXPECT_EQ(later.findChild<QWidget*>(QStringLiteral("Memo1")), nullptr);
    EXPECT_NE(later.findChild<QWidget*>(QStringLiteral("Memo40")), nullptr);
    showAndWaitForFirstPaint(later);
    EXPECT_TRUE(later.isVisible());
    later.buildHiddenPart();
    later.buildHiddenPart();  // once
    EXPECT_EQ(census(later), census(*form));

    // The landing rules, the brightness's and a volume's, work as in the whole window.
    later.storeReply(QStringLiteral("Memo35"), QStringLiteral("2"));
    EXPECT_EQ(later.trackBarPosition(), 2);
    EXPECT_EQ(later.controlText(QStringLiteral("Memo34")), QStringLiteral("2"));
    later.storeReply(QStringLiteral("Memo1"), QStringLiteral("3"));
    EXPECT_TRUE(later.radioButton(QStringLiteral("RadioButton2"))->isChecked());
    EXPECT_EQ(later.controlText(QStringLiteral("Memo42")), QStringLiteral("0"));
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST_F(StartState, ToolTipsAndDisplays) {
    for (const auto& s : allSettings()) {
        if (!s.isEdit())
            continue;
        const char* hint = s.kind == FieldKind::Repeats ? "1 ... 50000" : "10 ... 2500";
        EXPECT_EQ(form->edit(qs(s.control))->toolTip(), QString::fromLatin1(hint)) << s.control;
    }
    for (const auto& d : soundTimeDisplays()) {
        QLineEdit* display = form->edit(qs(d.display));
        EXPECT_EQ(display->palette().color(QPalette::Base), TForm1::clMenu());
        EXPECT_EQ(display->cursor().shape(), Qt::ForbiddenCursor);
        Memo* unit = form->memo(qs(d.unitMemo));
        EXPECT_EQ(unit->color(), TForm1::clMenu());
        EXPECT_EQ(unit->viewport()->cursor().shape(), Qt::ForbiddenCursor);
    }
    // Everything that does something says what in one line: buttons, strips, track bar and
    // every menu item.
    QList<QWidget*> doers;
    for (QPushButton* b : form->findChildren<QPushButton*>())
        doers << b;
    for (const char* name : {"Memo40", "Memo37", "Memo39", "Memo38", "Memo36"})
        doers << form->memo(QString::fromLatin1(name));
    doers << form->trackBar();
    for (QWidget* w : doers) {
        EXPECT_FALSE(w->toolTip().isEmpty()) << w->objectName().toStdString();
        EXPECT_FALSE(w->toolTip().contains(u'\n')) << w->objectName().toStdString();
    }
    for (QMenu* menu : form->menuBar()->findChildren<QMenu*>()) {
        EXPECT_TRUE(menu->toolTipsVisible());
        for (QAction* a : menu->actions()) {
            if (!a->isSeparator()) {
                EXPECT_NE(a->toolTip(), a->iconText()) << a->objectName().toStdString();
            }
        }
    }
    EXPECT_EQ(form->button(QStringLiteral("Button1"))->toolTip(),
              QStringLiteral("Reads all 89 settings from the device on the chosen port"));
}

TEST_F(StartState, LayoutFollowsTheOutline) {
    auto geometryIn = [&](const QString& name) {
        QWidget* w = form->findChild<QWidget*>(name);
        return QRect(w->mapTo(form->centralWidget(), QPoint(0, 0)), w->size());
    };
    EXPECT_EQ(geometryIn(QStringLiteral("Image22")), QRect(1032, 296, 233, 185));
    EXPECT_EQ(geometryIn(QStringLiteral("GroupBox_in3")), QRect(520, 0, 497, 241));
    EXPECT_EQ(geometryIn(QStringLiteral("GroupBox_res")), QRect(8, 496, 1009, 241));
    EXPECT_EQ(geometryIn(QStringLiteral("Button1")).size(), QSize(75, 25));
    EXPECT_EQ(form->trackBar()->size(), QSize(41, 217));
    EXPECT_EQ(form->trackBar()->orientation(), Qt::Vertical);
    EXPECT_EQ(form->trackBar()->maximum(), 9);
    EXPECT_TRUE(form->trackBar()->invertedAppearance());  // 0 at the top
    // Every caption is as big as its text ("Duration:", "ms", … measured once per text).
    int captions = 0;
    for (QLabel* l : form->centralWidget()->findChildren<QLabel*>()) {
        if (!l->objectName().isEmpty() || l->text().isEmpty())
            continue;
        ++captions;
        EXPECT_EQ(l->size(), l->sizeHint()) << l->text().toStdString();
    }
    EXPECT_GT(captions, 70);

    // Each strip lies directly above its control, as wide as it.
    const std::pair<const char*, const char*> strips[] = {
        {"Memo41", "ComboBox13"}, {"Memo40", "Button1"}, {"Memo37", "Button2"},
        {"Memo39", "Button6"},    {"Memo38", "Button7"}, {"Memo36", "Button8"}};
    for (const auto& [strip, below] : strips) {
        const QRect s = geometryIn(QString::fromLatin1(strip));
        const QRect b = geometryIn(QString::fromLatin1(below));
        EXPECT_EQ(s.size(), QSize(75, 9)) << strip;
        EXPECT_EQ(s.left(), b.left()) << strip;
        EXPECT_GE(b.top() - s.bottom(), 1) << strip;
        EXPECT_LE(b.top() - s.bottom(), 3) << strip;
    }
    // Picture buttons: 40 × 40 with the slot's 32 × 32 picture; in2 and in3 in their own order.
    for (const auto& slot : pictureSlots()) {
        auto* b = form->button(qs(slot.mainButton));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->size(), QSize(40, 40));
        EXPECT_EQ(form->buttonGlyph(slot.code).size(), QSize(32, 32)) << slot.code;
    }
    const int in2First = geometryIn(QStringLiteral("BitBtn15")).left();
    EXPECT_EQ(geometryIn(QStringLiteral("BitBtn11")).left(), in2First + 72);
    EXPECT_EQ(geometryIn(QStringLiteral("BitBtn16")).left(), in2First + 144);
    EXPECT_EQ(geometryIn(QStringLiteral("BitBtn10")).left(),
              geometryIn(QStringLiteral("BitBtn14")).left() + 216);
}

}  // namespace
}  // namespace blx52
