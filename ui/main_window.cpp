#include "ui/main_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <cmath>
#include <map>

#include "blx52_version.h"
#include "picture/picture_files.h"
#include "picture/regular_file.h"
#include "picture/slot_table.h"
#include "picture/start_pictures.h"
#include "settings/number_text.h"
#include "settings/sound_time.h"
#include "sync/device_sync.h"
#include "sync/port_list.h"
#include "sync/profile.h"
#include "sync/sync_view.h"
#include "ui/built_in_pictures.h"
#include "ui/compare_dialog.h"
#include "ui/exchange_log_window.h"
#include "ui/help_window.h"
#include "ui/main_window_sync_view.h"
#include "ui/ports_dialog.h"
#include "ui/window_size.h"

// The pictures are compiled into this static library; nothing else would pull them in.
static void initResources() {
    Q_INIT_RESOURCE(blx52);
}

namespace blx52 {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}
QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), text.size());
}

struct SectionBox {
    Section section;
    const char* caption;
    int x, y, width;
};
// Group boxes of the six sections; all are 241 high.
constexpr SectionBox sectionBoxes[] = {
    {Section::In0, "Input 0:", 8, 0, 497},         {Section::In3, "Inputs 1 and 2:", 520, 0, 497},
    {Section::In1, "Input 1:", 8, 248, 497},       {Section::In2, "Input 2:", 520, 248, 497},
    {Section::Res, "Device Start:", 8, 496, 1009}, {Section::Sby, "No Inputs:", 1032, 496, 129},
};
constexpr int SectionHeight = 241;

// Columns of picture buttons and pitch boxes inside the sub-boxes.
constexpr int FirstColumn = 64;
constexpr int ToneSpacing = 72;
int pictureSpacing(Section s) {
    return s == Section::Res ? 144 : 72;
}

struct StatusPanel {
    const char* text;
    int width;
};
constexpr StatusPanel statusPanels[TForm1::PanelCount] = {
    {"SW-PN: BLX52", 85}, {"SW-Ver.: V2.4", 85}, {"HW-PN: BLH52", 85},        {"FW-Ver.: ", 85},
    {"COM1", 85},         {"Welcome", 650},      {BLX52_HOMEPAGE_SHOWN, 120},
};

struct PanelButton {
    const char* name;
    const char* caption;
    int x, y;
    const char* strip;
    bool inputTest;  // its strip starts red (output off)
    const char* tip;
    const char* stripTip;
};
constexpr PanelButton panelButtons[] = {
    {"Button1", "Read", 16, 96, "Memo40", false,
     "Reads all 89 settings from the device on the chosen port",
     "Read: lime done, fuchsia running or failed"},
    {"Button2", "Write", 16, 152, "Memo37", false,
     "Writes all 89 settings to the device on the chosen port",
     "Write: blue unwritten changes, fuchsia running, lime done, red failed"},
    {"Button6", "Input 0", 136, 40, "Memo39", true,
     "Switches the device's test output of input 0 on or off",
     "Input 0 test output: lime on, red off"},
    {"Button7", "Input 1", 136, 96, "Memo38", true,
     "Switches the device's test output of input 1 on or off",
     "Input 1 test output: lime on, red off"},
    {"Button8", "Input 2", 136, 152, "Memo36", true,
     "Switches the device's test output of input 2 on or off",
     "Input 2 test output: lime on, red off"},
};

const QString DurationHint = QStringLiteral("10 ... 2500");
const QString RepeatsHint = QStringLiteral("1 ... 50000");

// A float that is one of 0 … max exactly.
bool exactIndex(float value, int max, int* index) {
    if (!(value >= 0.0f) || value > static_cast<float>(max) || std::floor(value) != value) {
        return false;
    }
    *index = static_cast<int>(value);
    return true;
}

// Each name of the port box tells where it leads and whether it opens, looked at whenever the
// list drops down (not before: an open raises a real adapter's DTR and RTS).
class PortTips : public QObject {
  public:
    explicit PortTips(QComboBox* box) : QObject(box), box_(box) {
        box->view()->window()->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            update();
        return QObject::eventFilter(watched, event);
    }

  private:
    void update() {
        const QList<PortNameEntry> entries = listPortNames(prober_);
        for (int i = 0; i < entries.size() && i < box_->count(); ++i) {
            const PortNameEntry& e = entries[i];
            QString tip = e.target.isEmpty()
                              ? QStringLiteral("%1 opens its own port %2").arg(e.name, e.opens)
                              : QStringLiteral("%1 leads to %2").arg(e.name, e.target);
            tip += QStringLiteral(": %1").arg(portStateText(e.state));
            if (!e.stateDetail.isEmpty())
                tip += QStringLiteral(" (%1)").arg(e.stateDetail);
            box_->setItemData(i, tip, Qt::ToolTipRole);
        }
    }

    QComboBox* box_;
    PortProber prober_;
};

}  // namespace

TForm1::TForm1(DeviceLink& link, Dialogs& dialogs, QWidget* parent)
    : TForm1(link, dialogs, Build::Whole, parent) {}

TForm1::TForm1(DeviceLink& link, Dialogs& dialogs, Build build, QWidget* parent)
    : QMainWindow(parent),
      link_(link),
      dialogs_(dialogs),
      build_(build),
      guard_([&dialogs](const QString& message) { dialogs.generalError(message); }),
      syncView_(std::make_unique<Form1SyncView>(*this)),
      sync_(std::make_unique<DeviceSync>(link, *syncView_)) {
    initResources();
    buildWindow();
    setTabChain();
    connectRules();
    if (build_ == Build::Whole) {
        hiddenBuilt_ = true;
        connectHiddenRules();
    }
    link_.setStatusSink(this);
    log_.attach(link_);
    sync_->setLog(&log_);
}

TForm1::~TForm1() {
    delete compare_;
    delete logWindow_;
    log_.detach();
    link_.setStatusSink(nullptr);
}

const SyncView& TForm1::syncView() const {
    return *syncView_;
}

QColor TForm1::clMenu() {
    return {240, 240, 240};
}

template <class W>
W* TForm1::add(QWidget* parent, const QString& name, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    controls_.insert(name, widget);
    return widget;
}

namespace {

// The window has 79 labels with a dozen texts; each size is measured once (shaping the text is
// most of a label's cost at start). A label's size follows from its text, font, style and the
// screen's resolution alone.
QLabel* label(QWidget* parent, const QString& text, int x, int y) {
    static QHash<QString, QSize> measured;
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    const QString key = text + QChar(0) + l->font().key() + QChar(0) + l->style()->name() +
                        QChar(0) + QString::number(l->logicalDpiY());
    const auto known = measured.constFind(key);
    if (known != measured.constEnd()) {
        l->resize(*known);
    } else {
        l->adjustSize();
        measured.insert(key, l->size());
    }
    return l;
}

QGroupBox* box(QWidget* parent, const QString& caption, int x, int y, int w, int h) {
    auto* b = new QGroupBox(caption, parent);
    b->setGeometry(x, y, w, h);
    return b;
}

void makeStrip(Memo* memo, const QColor& color) {
    memo->setReadOnly(true);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setTextInteractionFlags(Qt::NoTextInteraction);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    memo->setLineWidth(1);
    memo->setColor(color);
}

}  // namespace

void TForm1::buildWindow() {
    setWindowTitle(QStringLiteral("BLX52 Glowpanel - Configurator"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    buttonFace_ = palette().color(QPalette::Window);

    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("MainMenu1"));
    // The "&" only underlines the mnemonic; the captions read as they always did.
    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->setToolTipsVisible(true);
    QAction* open = file->addAction(QStringLiteral("Open settings\u2026"));
    open->setObjectName(QStringLiteral("OpenSettings1"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    open->setToolTip(QStringLiteral("Loads all settings from a profile into the window"));
    connect(open, &QAction::triggered, this, &TForm1::OpenSettings1Click);
    QAction* save = file->addAction(QStringLiteral("Save settings as\u2026"));
    save->setObjectName(QStringLiteral("SaveSettingsAs1"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save->setToolTip(QStringLiteral("Saves the window's settings as a profile or bundle"));
    connect(save, &QAction::triggered, this, &TForm1::SaveSettingsAs1Click);
    // What --init-pictures does, for a user who started the program from the desktop menu.
    QAction* pictures = file->addAction(QStringLiteral("Create picture folder\u2026"));
    pictures->setObjectName(QStringLiteral("CreatePictureFolder1"));
    pictures->setToolTip(QStringLiteral("Copies the start pictures into the picture folder"));
    connect(pictures, &QAction::triggered, this, &TForm1::CreatePictureFolder1Click);
    file->addSeparator();
    QAction* help = file->addAction(QStringLiteral("Help..."));
    help->setObjectName(QStringLiteral("Help1"));
    help->setToolTip(QStringLiteral("Opens the manual (F1)"));
    connect(help, &QAction::triggered, this, &TForm1::Help1Click);
    QAction* info = file->addAction(QStringLiteral("Info..."));
    info->setObjectName(QStringLiteral("Info1"));
    info->setToolTip(QStringLiteral("Shows the version, licence and folders of the program"));
    connect(info, &QAction::triggered, this, &TForm1::Info1Click);
    QMenu* device = menuBar->addMenu(QStringLiteral("&Device"));
    device->setObjectName(QStringLiteral("Device1"));
    device->setToolTipsVisible(true);
    buildDeviceMenu(device);
    device->addSeparator();
    QAction* ports = device->addAction(QStringLiteral("Ports\u2026"));
    ports->setObjectName(QStringLiteral("Ports1"));
    ports->setToolTip(QStringLiteral("Shows where COM1 to COM9 lead and finds the device"));
    connect(ports, &QAction::triggered, this, &TForm1::Ports1Click);
    QAction* sendAll = device->addAction(QStringLiteral("Send all pictures\u2026"));
    sendAll->setObjectName(QStringLiteral("SendAllPictures1"));
    sendAll->setToolTip(QStringLiteral("Sends the picture folder's 25 pictures to the device"));
    connect(sendAll, &QAction::triggered, this, &TForm1::SendAllPictures1Click);
    // F10 opens the first menu, as in most desktop programs.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    menuKey->setObjectName(QStringLiteral("MenuKey"));
    connect(menuKey, &QShortcut::activated, menuBar,
            [menuBar, file] { menuBar->setActiveAction(file->menuAction()); });
    installHelpKey(this, QStringLiteral("the-main-window"));
    setMenuBar(menuBar);

    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(scrollingClientArea(central));

    buildSections(central);
    buildConnectionPanel(central);
    buildBrightness(central);
    auto* image = add<QLabel>(central, QStringLiteral("Image22"), 1032, 296, 233, 185);
    if (build_ == Build::Whole)
        buildHiddenControls(central);
    buildStatusBar();

    // The built-in pictures last: main has them decoded meanwhile.
    const BuiltInPictures builtIn = builtInPictures();
    setWindowIcon(QIcon(QPixmap::fromImage(builtIn.icon)));
    image->setPixmap(QPixmap::fromImage(builtIn.device));
    for (const auto& slot : pictureSlots())
        setButtonGlyph(slot.code, builtIn.glyphs.value(slot.code));

    // 1325 × 820 outside, frame included, in the middle of the screen.
    const QSize outer(1325, 820);
    const auto centre = [outer](QWidget& window) {
        if (QScreen* s = window.screen())
            window.move(centredFramePosition(s->availableGeometry(), outer));
    };
    new OuterSizeKeeper(this, outer, centre);
    centre(*this);
}

void TForm1::setTabChain() {
    // Reading order: each situation's box row by row, then the connection panel and the
    // brightness, as a technician works through the window.
    QStringList chain;
    const auto settingsOf = [](Section section, FieldKind kind) {
        std::map<int, const Setting*> byIndex;
        for (const Setting& s : allSettings()) {
            if (s.section == section && s.kind == kind)
                byIndex[s.index] = &s;
        }
        return byIndex;
    };
    const auto addControls = [&](Section section, FieldKind kind) {
        for (const auto& [index, s] : settingsOf(section, kind)) {
            if (s->control.empty()) {
                for (const auto& b : s->buttons)
                    chain << qs(b);
            } else {
                chain << qs(s->control);
            }
        }
    };
    for (const auto& box : sectionBoxes) {
        std::map<int, QString> pictureButtons;
        for (const auto& slot : pictureSlots()) {
            if (static_cast<Section>(slot.sectionNumber) == box.section)
                pictureButtons[slot.picture] = qs(slot.mainButton);
        }
        if (box.section == Section::Sby) {
            // Each choice beside its picture.
            const Setting* standby = settingsOf(box.section, FieldKind::Standby).begin()->second;
            for (const auto& [picture, button] : pictureButtons) {
                chain << qs(standby->buttons[static_cast<std::size_t>(picture)]) << button;
            }
            continue;
        }
        for (const auto& [picture, button] : pictureButtons)
            chain << button;
        addControls(box.section, FieldKind::PictureDuration);
        addControls(box.section, FieldKind::Volume);
        addControls(box.section, FieldKind::Pitch);
        addControls(box.section, FieldKind::Repeats);
        addControls(box.section, FieldKind::ToneDuration);
        if (const SoundTimeDisplay* d = findSoundTimeDisplay(box.section))
            chain << qs(d->display) << qs(d->unitMemo);
    }
    chain << QStringLiteral("ComboBox13");
    for (const auto& b : panelButtons)
        chain << QString::fromLatin1(b.name);
    chain << QStringLiteral("TrackBar1");
    for (int k = 1; k < chain.size(); ++k)
        setTabOrder(controls_.value(chain[k - 1]), controls_.value(chain[k]));
}

void TForm1::buildSections(QWidget* central) {
    std::map<Section, QGroupBox*> sectionBox, pictureBox, soundBox;
    for (const auto& b : sectionBoxes) {
        QGroupBox* g =
            box(central, QString::fromLatin1(b.caption), b.x, b.y, b.width, SectionHeight);
        g->setObjectName(QStringLiteral("GroupBox_") + qs(sectionKey(b.section)));
        sectionBox[b.section] = g;
        if (b.section == Section::Sby)
            continue;
        const int inner = b.width - 32;
        pictureBox[b.section] = box(g, QStringLiteral("Picture:"), 16, 16,
                                    b.section == Section::Res ? inner : 345, 110);
        soundBox[b.section] =
            box(g, QStringLiteral("Sound:"), 16, 128, b.section == Section::Res ? inner : 465, 97);
        label(pictureBox[b.section], QStringLiteral("Duration:"), 8, 72);
        label(soundBox[b.section], QStringLiteral("Pitch:"), 8, 23);
        label(soundBox[b.section], QStringLiteral("Duration:"), 8, 59);
    }
    QGroupBox* standbyFrame =
        box(sectionBox[Section::Sby], QStringLiteral("Picture"), 16, 16, 57, 209);

    // Picture buttons, each showing its slot's sample picture (set by buildWindow).
    for (const auto& slot : pictureSlots()) {
        const auto section = static_cast<Section>(slot.sectionNumber);
        QWidget* parent = section == Section::Sby ? sectionBox[section] : pictureBox[section];
        const int x =
            section == Section::Sby ? 81 : FirstColumn + pictureSpacing(section) * slot.picture;
        const int y = section == Section::Sby ? 28 + 64 * slot.picture : 20;
        auto* b = add<QPushButton>(parent, qs(slot.mainButton), x, y, 40, 40);
        b->setIconSize(QSize(32, 32));
        b->setProperty("slotCode", slot.code);
        b->setToolTip(QStringLiteral("Opens %1 in the picture editor").arg(qs(slot.comboEntry)));
    }

    QStringList pitchItems;
    for (auto item : PitchNames)
        pitchItems << qs(item);
    for (const auto& s : allSettings()) {
        const QString name = qs(s.control);
        switch (s.kind) {
            case FieldKind::PictureDuration: {
                const int x = FirstColumn + pictureSpacing(s.section) * s.index;
                auto* e = add<QLineEdit>(pictureBox[s.section], name, x, 68, 33, 21);
                e->setText(qs(s.startText));
                e->setToolTip(DurationHint);
                label(pictureBox[s.section], QStringLiteral("ms"), x + 36, 72);
                break;
            }
            case FieldKind::ToneDuration: {
                const int x = FirstColumn + ToneSpacing * s.index;
                auto* e = add<QLineEdit>(soundBox[s.section], name, x, 56, 33, 21);
                e->setText(qs(s.startText));
                e->setToolTip(DurationHint);
                label(soundBox[s.section], QStringLiteral("ms"), x + 36, 60);
                break;
            }
            case FieldKind::Pitch: {
                auto* c = add<QComboBox>(soundBox[s.section], name,
                                         FirstColumn + ToneSpacing * s.index, 20, 57, 21);
                c->addItems(pitchItems);  // in one insertion: 28 lists of 17
                c->setMaxVisibleItems(static_cast<int>(PitchNames.size()));
                selectByProgram(c, s.startIndex);
                break;
            }
            case FieldKind::Repeats: {
                label(soundBox[s.section], QStringLiteral("Repeats:"), 344, 23);
                auto* e = add<QLineEdit>(soundBox[s.section], name, 392, 20, 45, 21);
                e->setText(qs(s.startText));
                e->setToolTip(RepeatsHint);
                label(soundBox[s.section], QStringLiteral("x"), 441, 23);
                break;
            }
            case FieldKind::Volume: {
                QGroupBox* frame =
                    box(sectionBox[s.section], QStringLiteral("Volume:"), 376, 16, 105, 110);
                for (int k = 0; k < static_cast<int>(s.buttons.size()); ++k) {
                    auto* r = add<QRadioButton>(frame, qs(s.buttons[k]), 16, 22 + 16 * k, 60, 17);
                    r->setText(QString::number(k));
                    r->setChecked(k == s.startIndex);
                }
                break;
            }
            case FieldKind::Standby:
                for (int k = 0; k < static_cast<int>(s.buttons.size()); ++k) {
                    auto* r =
                        add<QRadioButton>(standbyFrame, qs(s.buttons[k]), 6, 24 + 64 * k, 48, 17);
                    r->setText(QStringLiteral("Pic%1").arg(k));
                    r->setChecked(k == s.startIndex);
                }
                break;
            case FieldKind::Brightness:
                break;  // its own group box
        }
    }

    // Sound time of each input section, under the repeats edit; display only.
    for (const auto& d : soundTimeDisplays()) {
        auto* e = add<QLineEdit>(soundBox[d.section], qs(d.display), 392, 56, 45, 21);
        e->setText(qs(d.startText));
        QPalette p = e->palette();
        p.setColor(QPalette::Base, clMenu());
        e->setPalette(p);
        e->setCursor(Qt::ForbiddenCursor);
        auto* m = add<Memo>(soundBox[d.section], qs(d.unitMemo), 439, 56, 24, 21);
        m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m->setLineWrapMode(QPlainTextEdit::NoWrap);
        m->document()->setDocumentMargin(1);
        m->setText(qs(d.startUnit));
        m->setColor(clMenu());
        m->viewport()->setCursor(Qt::ForbiddenCursor);
    }
}

void TForm1::buildConnectionPanel(QWidget* central) {
    QGroupBox* g = box(central, QStringLiteral("Device <---> Application:"), 1032, 0, 225, 241);
    g->setObjectName(QStringLiteral("GroupBox_connection"));
    label(g, QStringLiteral("Com Port:"), 24, 16);
    label(g, QStringLiteral("Settings from Device:"), 8, 72);
    label(g, QStringLiteral("Settings to Device:"), 8, 128);

    auto* port = add<QComboBox>(g, QStringLiteral("ComboBox13"), 16, 40, 75, 21);
    for (int k = 1; k <= PortCount; ++k)
        port->addItem(QStringLiteral("COM%1").arg(k));
    selectByProgram(port, 0);
    port->setToolTip(QStringLiteral("The port the device is on; Device > Ports... shows them all"));
    new PortTips(port);
    makeStrip(add<Memo>(g, QStringLiteral("Memo41"), 16, 30, 75, 9), clMenu());

    for (const auto& b : panelButtons) {
        auto* button = add<QPushButton>(g, QString::fromLatin1(b.name), b.x, b.y, 75, 25);
        button->setText(QString::fromLatin1(b.caption));
        button->setToolTip(QString::fromLatin1(b.tip));
        Memo* strip = add<Memo>(g, QString::fromLatin1(b.strip), b.x, b.y - 10, 75, 9);
        makeStrip(strip, b.inputTest ? clRed() : clMenu());
        strip->setToolTip(QString::fromLatin1(b.stripTip));
    }

    progressBar_ = add<QProgressBar>(g, QStringLiteral("ProgressBar1"), 16, 192, 193, 21);
    progressBar_->setRange(0, 90);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    progressBar_->setToolTip(QStringLiteral("Exchanges done of the running read or write"));
}

void TForm1::buildBrightness(QWidget* central) {
    QGroupBox* g = box(central, QStringLiteral("Brightness:"), 1176, 496, 81, 241);
    g->setObjectName(QStringLiteral("GroupBox_brightness"));
    trackBar_ = add<QSlider>(g, QStringLiteral("TrackBar1"), 34, 16, 41, 217);
    trackBar_->setOrientation(Qt::Vertical);
    trackBar_->setRange(0, BrightnessMax);
    trackBar_->setSingleStep(1);
    trackBar_->setPageStep(1);
    trackBar_->setTickInterval(1);
    trackBar_->setTickPosition(QSlider::TicksRight);
    trackBar_->setInvertedAppearance(true);  // position 0 at the top
    trackBar_->setInvertedControls(true);
    trackBar_->setValue(BrightnessStart);
    trackBar_->setToolTip(
        QStringLiteral("The device's brightness, min at the top; Write sends it"));
    label(g, QStringLiteral("min"), 8, 22);
    label(g, QStringLiteral("max"), 8, 212);
}

void TForm1::buildHiddenControls(QWidget* central) {
    QStringList memos;
    // Landing memos Memo1 … Memo33 and Memo35, the brightness value memo Memo34.
    for (int k = 1; k <= 35; ++k)
        memos << QStringLiteral("Memo%1").arg(k);
    memos << QStringLiteral("Memo42") << QStringLiteral("Memo43") << QStringLiteral("Memo48")
          << QStringLiteral("Memo49");
    for (const QString& name : memos)
        add<Memo>(central, name, 0, 0, 20, 20)->hide();
    memo(QStringLiteral("Memo42"))->setText(QStringLiteral("0"));
    memo(QStringLiteral("Memo43"))->setText(QStringLiteral("0"));
    add<QCheckBox>(central, QStringLiteral("CheckBox1"), 0, 0, 20, 20)->hide();
    add<QCheckBox>(central, QStringLiteral("CheckBox2"), 0, 0, 20, 20)->hide();
}

void TForm1::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(19);
    for (int i = 0; i < PanelCount; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(statusPanels[i].text), bar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFixedWidth(statusPanels[i].width);
        panel->setToolTip(panel->text());
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(panel);
        panels_[i] = panel;
    }
    setStatusBar(bar);
}

void TForm1::connectRules() {
    for (const auto& s : allSettings()) {
        if (s.isEdit()) {
            const QString name = qs(s.control);
            onChange(edit(name), [this, name] { EditChange(name); });
        }
        if (s.kind == FieldKind::Pitch) {
            onUserSelect(comboBox(qs(s.control)),
                         [this] { guard_.run([this] { markUnwrittenChanges(); }); });
        }
        for (const auto& b : s.buttons) {
            onClick(radioButton(qs(b)), [this] { guard_.run([this] { markUnwrittenChanges(); }); });
        }
    }
    onUserSelect(comboBox(QStringLiteral("ComboBox13")), [this] { ComboBox13Change(); });
    connect(trackBar_, &QSlider::valueChanged, this, &TForm1::TrackBar1Change);
    connect(button(QStringLiteral("Button1")), &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(button(QStringLiteral("Button2")), &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(button(QStringLiteral("Button6")), &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(button(QStringLiteral("Button7")), &QPushButton::clicked, this, &TForm1::Button7Click);
    connect(button(QStringLiteral("Button8")), &QPushButton::clicked, this, &TForm1::Button8Click);
    for (const auto& slot : pictureSlots()) {
        const int code = slot.code;
        connect(button(qs(slot.mainButton)), &QPushButton::clicked, this,
                [this, code] { guard_.run([this, code] { openPictureEditor(code); }); });
    }
}

void TForm1::connectHiddenRules() {
    for (const auto& s : allSettings()) {
        if (s.kind == FieldKind::Brightness) {
            onStore(memo(qs(s.landingMemo)), [this] { Memo35Change(); });
        } else if (!s.landingMemo.empty()) {
            onStore(memo(qs(s.landingMemo)), [this, &s] { landingReaction(s); });
        }
    }
    onChange(memo(QStringLiteral("Memo42")), [this] { Memo42Change(); });
    onChange(memo(QStringLiteral("Memo43")), [this] { Memo43Change(); });
    connect(checkBox(QStringLiteral("CheckBox1")), &QCheckBox::toggled, this,
            &TForm1::CheckBox1Click);
}

void TForm1::buildHiddenPart() {
    if (hiddenBuilt_)
        return;
    hiddenBuilt_ = true;
    buildHiddenControls(findChild<QWidget*>(QStringLiteral("ClientArea")));
    connectHiddenRules();
}

// ---- Rules ----

bool TForm1::CheckNumberText(const QString& text) {
    if (!hasForbiddenCharacter(text))
        return true;
    dialogs_.errorBeep();
    dialogs_.errorOk(QStringLiteral("Bitte nur Zahlen eingeben!"));
    return false;
}

void TForm1::UpdateSoundTime(Section section) {
    const SoundTimeDisplay* d = findSoundTimeDisplay(section);
    if (!d)
        return;
    std::array<QString, 4> durations;
    for (int i = 0; i < 4; ++i)
        durations[i] = edit(qs(d->toneEdits[i]))->text();
    // The user's number format at the moment of the change.
    const SoundTimeText t = soundTime(durations, edit(qs(d->repeatsEdit))->text(), QLocale());
    QLineEdit* display = edit(qs(d->display));
    display->setText(t.value);
    // A long value such as 0,100000001490116 is read from its start, not its last digits.
    display->setCursorPosition(0);
    memo(qs(d->unitMemo))->setText(t.unit);
}

void TForm1::EditChange(const QString& editName) {
    const Setting* s = findSettingByControl(editName.toStdString());
    if (s && s->isEdit())
        editRule(*s);
}

void TForm1::editRule(const Setting& s) {
    guard_.run([this, &s] {
        QLineEdit* e = edit(qs(s.control));
        const EditFamilyRule& rule = editFamilyRule(s.family);
        markUnwrittenChanges();
        const QString text = e->text();
        if (text.isEmpty()) {
            e->setText(QStringLiteral("0"));  // runs this rule again, nested
            guard_.rethrowPending();
        } else if (!CheckNumberText(text)) {
            e->setText(qs(replacementText(s)));
            guard_.rethrowPending();
        } else if (rule.recomputesSoundTime) {
            UpdateSoundTime(s.section);
        }
        if (rule.clearsPitchOnZero && e->text() == QStringLiteral("0")) {
            selectByProgram(comboBox(qs(s.pitchBox)), 0);
        }
    });
}

void TForm1::landingReaction(const Setting& s) {
    guard_.run([this, &s] {
        const float value = textToFloat(memo(qs(s.landingMemo))->text(), QLocale());
        int k = 0;
        if (s.kind == FieldKind::Pitch) {
            if (exactIndex(value, static_cast<int>(PitchNames.size()) - 1, &k)) {
                selectByProgram(comboBox(qs(s.control)), k);
            }
        } else if (exactIndex(value, static_cast<int>(s.buttons.size()) - 1, &k)) {
            // Checking a button that was not checked runs its click rule.
            radioButton(qs(s.buttons[k]))->setChecked(true);
        }
    });
}

void TForm1::ComboBox13Change() {
    guard_.run([this] {
        const int k = comboBox(QStringLiteral("ComboBox13"))->currentIndex();
        if (k < 0 || k >= PortCount)
            return;
        const QString name = QStringLiteral("COM%1").arg(k + 1);
        link_.PortName = name.toStdString();
        setPanelText(2, name);
    });
}

void TForm1::TrackBar1Change() {
    guard_.run([this] {
        markUnwrittenChanges();
        memo(qs(BrightnessValueMemo))->setText(QString::number(trackBar_->value()));
    });
}

void TForm1::Memo35Change() {
    guard_.run([this] {
        const float value = textToFloat(memo(QStringLiteral("Memo35"))->text(), QLocale());
        int k = 0;
        // The track bar reports a change only when the position really moves.
        if (exactIndex(value, BrightnessMax, &k))
            trackBar_->setValue(k);
    });
}

// ---- Connection panel ----

void TForm1::setMainPortWarning() {
    portWarningShown_ = true;
    checkBox(QStringLiteral("CheckBox2"))->setChecked(true);
}

void TForm1::setPortWarningShown() {
    setMainPortWarning();
    if (setEditorSide_)
        setEditorSide_();
}

void TForm1::Button1Click() {
    guard_.run([this] { sync_->readClick(); });
}

void TForm1::Memo43Change() {
    guard_.run([this] { sync_->readTriggerChanged(controlText(QStringLiteral("Memo43"))); });
}

void TForm1::Button2Click() {
    guard_.run([this] { sync_->writeClick(); });
}

void TForm1::Memo42Change() {
    guard_.run([this] {
        const QString trigger = controlText(QStringLiteral("Memo42"));
        sync_->writeTriggerChanged(trigger);
        // Only a write that ran and ended lime is read back.
        if (trigger == QStringLiteral("2") && verifyAfterWrite() &&
            stripColor(QStringLiteral("Memo37")) == clLime()) {
            verifyWrite();
        }
    });
}

void TForm1::Button6Click() {
    guard_.run([this] { sync_->inputTestClick(0); });
}

void TForm1::Button7Click() {
    guard_.run([this] { sync_->inputTestClick(1); });
}

void TForm1::Button8Click() {
    guard_.run([this] { sync_->inputTestClick(2); });
}

// The picture editor's signal: it checks the box once, when it first warns about the port.
void TForm1::CheckBox1Click() {
    guard_.run([this] {
        if (checkBox(QStringLiteral("CheckBox1"))->isChecked())
            setMainPortWarning();
    });
}

}  // namespace blx52
