#include "monkey.h"

#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

#include "link/port_names.h"
#include "picture/slot_table.h"
#include "settings/number_text.h"
#include "settings/settings_table.h"
#include "settings/sound_time.h"
#include "ui/application.h"

namespace blx52::monkey {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The event being run, kept ready so that a crash can still name it.
char crashNote[512] = "monkey: no event yet\n";

extern "C" void reportCrash(int signal) {
    const ssize_t ignored = ::write(STDERR_FILENO, crashNote, std::strlen(crashNote));
    (void)ignored;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
#else
constexpr bool Sanitized = false;
#endif

void installCrashNote() {
    std::signal(SIGABRT, reportCrash);
    // The sanitizers report memory faults themselves, with more to say.
    if (!Sanitized) {
#ifdef SIGBUS
        std::signal(SIGBUS, reportCrash);
#endif
        for (int s : {SIGSEGV, SIGFPE, SIGILL})
            std::signal(s, reportCrash);
    }
}

bool isOneOf(const QColor& c, std::initializer_list<QColor> colors) {
    for (const QColor& k : colors) {
        if (c == k)
            return true;
    }
    return false;
}

}  // namespace

std::string describe(const QString& text) {
    std::string out;
    auto put = [&out](const QString& part) {
        for (QChar c : part) {
            const char16_t u = c.unicode();
            if (u >= 0x20 && u < 0x7f) {
                out += static_cast<char>(u);
            } else {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(u));
                out += buffer;
            }
        }
    };
    if (text.size() <= 40) {
        put(text);
    } else {
        put(text.left(20));
        out += "…(" + std::to_string(text.size()) + " chars)…";
        put(text.right(10));
    }
    return '"' + out + '"';
}

namespace {

// The offscreen platform says for every raised window that it cannot raise it.
QtMessageHandler previousHandler = nullptr;
void quietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support")))
        return;
    if (previousHandler) {
        previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

}  // namespace

// ---- World ----

World::World(devsim::Options deviceOptions)
    : home(std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                           QStringLiteral("/blx52-monkey-XXXXXX"))) {
    previousHandler = qInstallMessageHandler(quietPlatform);
    if (!home->isValid())
        return;
    homeVar = std::make_unique<EnvOverride>("HOME", home->path().toLocal8Bit());
    configVar = std::make_unique<EnvOverride>(
        "XDG_CONFIG_HOME", (home->path() + QStringLiteral("/config")).toLocal8Bit());
    folder_ = home->path() + QStringLiteral("/BLX52_Settings/");
    QDir().mkpath(folder_);

    device = test::startSimulatedDevice("COM1", &whyNotStarted);
    if (!device)
        return;
    if (device->portName() != "COM1") {
        whyNotStarted = "the device must be on COM1, the port the monkey mostly picks";
        return;
    }
    device->setOptions(deviceOptions);
    // COM2 … COM9 lead nowhere: a missing entry would fall back to a real /dev/ttyS port. Beside
    // Wine the test runner maps them so.
    if (!device->inOtherProcess()) {
        std::error_code error;
        const std::filesystem::path ports = portsFolder();
        std::filesystem::create_directories(ports, error);
        for (int k = 2; k <= 9; ++k) {
            std::filesystem::create_symlink("/nonexistent/blx52-monkey-port",
                                            ports / ("COM" + std::to_string(k)), error);
            if (error) {
                whyNotStarted = "cannot map the other ports to nowhere: " + error.message();
                return;
            }
        }
    }

    if (auto* app = dynamic_cast<Application*>(QCoreApplication::instance())) {
        app->setErrorReporter([this](const QString& message) {
            ++escapedErrors;
            dialogs.generalError(message);
        });
    }
    form1 = std::make_unique<TForm1>(link, dialogs);
    form2 = std::make_unique<TForm2>(link, dialogs, folder_);
    connectEditor(*form1, *form2);
    form1->show();
    started_ = true;
}

World::~World() {
    if (auto* app = dynamic_cast<Application*>(QCoreApplication::instance()))
        app->setErrorReporter({});
    form2.reset();
    form1.reset();
    device.reset();
    QApplication::clipboard()->clear();
    qInstallMessageHandler(previousHandler);
}

// ---- Monkey ----

struct Monkey::Event {
    const char* kind;
    double weight;
    bool slow;         // talks to the device
    bool needsEditor;  // the editor window must be open
    std::function<void()> act;
};

Monkey::Monkey(World& world, std::uint32_t seed) : w_(world), seed_(seed), random_(seed) {
    installCrashNote();
    buildEvents();
    // Every dialog gets OK or Cancel at random; the log would only grow.
    w_.dialogs.whileShown = [this](const QString& entry) {
        ++stats_.dialogs;
        w_.dialogs.answerOk = chance(50);
        note("  dialog " + describe(entry) + (w_.dialogs.answerOk ? " -> OK" : " -> Cancel"));
        w_.dialogs.log.clear();
    };
}

Monkey::~Monkey() {
    w_.dialogs.whileShown = nullptr;
}

int Monkey::uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
}

bool Monkey::chance(int percent) {
    return uniform(1, 100) <= percent;
}

void Monkey::note(std::string text) {
    if (keepFullLog_)
        fullLog_.push_back(text);
    history_.push_back(std::move(text));
    while (history_.size() > 12)
        history_.pop_front();
}

QString Monkey::randomText(bool forPen) {
    static const QString latin1High = QString::fromUtf8("éßäöüÄÖÜ§°µ¿¡ÿ\u00a0\u00ad€");
    static const QString beyondLatin1 =
        QString::fromUtf8("Ωж中文αβ\u200b\u2028\U0001F600\U0001D11E");
    static const QString punctuation = QStringLiteral(".,-+ /:;eE!\"#$%&'()*<=>?@[\\]^_`{|}~");
    auto digits = [this](int count) {
        QString t;
        for (int i = 0; i < count; ++i)
            t += QChar(u'0' + uniform(0, 9));
        return t;
    };
    auto from = [this](const QString& set, int count) {
        QString t;
        for (int i = 0; i < count; ++i)
            t += set.at(uniform(0, static_cast<int>(set.size()) - 1));
        return t;
    };
    const int kind = uniform(1, 100);
    if (kind <= 45)
        return digits(uniform(1, forPen ? 2 : 4));
    if (kind <= 45)
        return digits(uniform(6, 40));
    if (kind <= 55) {
        QString t;
        for (int i = uniform(1, 8); i > 0; --i)
            t += QChar(uniform(0x20, 0x7e));
        return t;
    }
    if (kind <= 63)
        return digits(uniform(0, 3)) + from(punctuation, 1) + digits(uniform(0, 3));
    if (kind <= 73) {
        // Control characters and DEL among digits: they pass the character check.
        QString t = digits(uniform(0, 3));
        for (int i = uniform(1, 3); i > 0; --i) {
            const int c = uniform(0, 32);
            t += QChar(c == 32 ? 0x7f : c);
            t += digits(uniform(0, 2));
        }
        return t;
    }
    if (kind <= 82)
        return digits(uniform(0, 2)) + from(latin1High, uniform(1, 3)) + digits(uniform(0, 2));
    if (kind <= 91) {
        // Whole code points, so a surrogate pair is never split.
        const QList<uint> points = beyondLatin1.toUcs4();
        std::u32string picked;
        for (int i = uniform(1, 3); i > 0; --i)
            picked +=
                static_cast<char32_t>(points.at(uniform(0, static_cast<int>(points.size()) - 1)));
        return digits(uniform(0, 2)) + QString::fromStdU32String(picked);
    }
    if (kind <= 94)
        return {};  // a paste of nothing over a selection clears the edit
    // Very long: digits only, or with one odd character somewhere.
    QString t = digits(uniform(200, forPen ? 2000 : 20000));
    if (chance(50))
        t.insert(uniform(0, static_cast<int>(t.size())), QChar(chance(50) ? 0x01 : 0x4e2d));
    return t;
}

void Monkey::click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// The user clicks into the edit, maybe selects everything, then types or pastes. Typing goes
// key by key, each key running the edit's rule; a paste arrives in one piece.
void Monkey::enterText(QLineEdit* edit, const QString& text) {
    const int x = uniform(1, std::max(1, edit->width() - 2));
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, edit->height() / 2));
    if (chance(70))
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    bool printable = text.size() <= 12;
    for (QChar c : text)
        printable = printable && c.isPrint() && !c.isSurrogate();
    if (printable && chance(60)) {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    } else {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }
}

void Monkey::editKeys(QLineEdit* edit) {
    static const Qt::Key keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,
                                   Qt::Key_Right,     Qt::Key_Home,   Qt::Key_End};
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(uniform(1, 20), edit->height() / 2));
    for (int i = uniform(1, 6); i > 0; --i) {
        if (chance(20)) {
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        } else {
            QTest::keyClick(edit, keys[uniform(0, 5)]);
        }
    }
}

// A choice as the user makes it: keys on the closed box, or an entry of its list, which sets
// the index and reports it as activated.
void Monkey::pick(QComboBox* box, int preferredIndex) {
    if (preferredIndex < 0 && chance(40)) {
        static const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up,     Qt::Key_Home,
                                       Qt::Key_End,  Qt::Key_PageUp, Qt::Key_PageDown};
        QTest::keyClick(box, keys[uniform(0, 5)]);
        return;
    }
    const int index =
        preferredIndex >= 0 ? preferredIndex : uniform(0, std::max(0, box->count() - 1));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void Monkey::buildEvents() {
    TForm1& f1 = *w_.form1;
    TForm2& f2 = *w_.form2;

    std::vector<QLineEdit*> numberEdits;
    std::vector<QComboBox*> pitchBoxes;
    std::vector<QRadioButton*> radios;
    for (const Setting& s : allSettings()) {
        if (s.isEdit())
            numberEdits.push_back(f1.edit(qs(s.control)));
        if (s.kind == FieldKind::Pitch)
            pitchBoxes.push_back(f1.comboBox(qs(s.control)));
        for (const auto& b : s.buttons)
            radios.push_back(f1.radioButton(qs(b)));
    }
    std::vector<QPushButton*> pictureButtons;
    for (const PictureSlot& slot : pictureSlots())
        pictureButtons.push_back(f1.button(qs(slot.mainButton)));

    auto anyOf = [this](const auto& list) { return list.at(uniform(0, list.size() - 1)); };
    auto name = [](QObject* o) { return o->objectName().toStdString(); };
    auto mainButton = [&f1, this, name](const char* button) {
        QPushButton* b = f1.button(QString::fromLatin1(button));
        return [this, b, name] {
            note("click " + name(b));
            click(b);
        };
    };
    // A read or write that ends lime is compared with the device's store afterwards.
    auto compared = [this](const char* kind, std::function<void()> act) {
        return [this, kind, act = std::move(act)] {
            compareAfter(kind);
            act();
        };
    };
    auto notSendable = [](const std::vector<QLineEdit*>& edits) {
        std::vector<QLineEdit*> found;
        for (QLineEdit* e : edits) {
            const QString t = e->text();
            bool digitsOnly = t.size() <= 4;
            for (QChar c : t)
                digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
            if (!digitsOnly)
                found.push_back(e);
        }
        return found;
    };
    auto fix = [this, name](QLineEdit* e) {
        const QString t = QString::number(uniform(0, 2500));
        note("fix " + name(e) + " with " + describe(t));
        QTest::mouseClick(e, Qt::LeftButton, {}, e->rect().center());
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e, t);
    };
    auto editorButton = [&f2, this, name](const char* button) {
        QPushButton* b = f2.button(QString::fromLatin1(button));
        return [this, b, name] {
            note("editor click " + name(b));
            click(b);
        };
    };

    events_ = {
        {"type into a number edit", 320, false, false,
         [=, this] {
             QLineEdit* e = anyOf(numberEdits);
             const QString t = randomText(false);
             note("enter " + describe(t) + " into " + name(e));
             enterText(e, t);
         }},
        // After a refused write the user puts plain digits where they are missing: into one
        // field, or into all of them before writing again.
        {"fix a number edit", 50, false, false,
         [=, this] {
             std::vector<QLineEdit*> unsendable = notSendable(numberEdits);
             if (unsendable.empty())
                 unsendable = numberEdits;
             fix(anyOf(unsendable));
         }},
        {"fix all and write", 4, true, false,
         compared("write",
                  [=, this] {
                      note("fix every number edit that a write refuses");
                      for (QLineEdit* e : notSendable(numberEdits))
                          fix(e);
                      mainButton("Button2")();
                  })},
        {"edit keys", 40, false, false,
         [=, this] {
             QLineEdit* e = anyOf(numberEdits);
             note("keys in " + name(e));
             editKeys(e);
         }},
        {"pitch", 100, false, false,
         [=, this] {
             QComboBox* c = anyOf(pitchBoxes);
             note("pick in " + name(c));
             pick(c);
         }},
        {"radio", 60, false, false,
         [=, this] {
             QRadioButton* r = anyOf(radios);
             note("click " + name(r));
             QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(6, r->height() / 2));
         }},
        {"track bar", 50, false, false,
         [&f1, this] {
             QSlider* t = f1.trackBar();
             if (chance(70)) {
                 static const Qt::Key keys[] = {Qt::Key_Up,       Qt::Key_Down, Qt::Key_PageUp,
                                                Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
                 const Qt::Key k = keys[uniform(0, 5)];
                 note("track bar key " + std::to_string(static_cast<int>(k)));
                 QTest::keyClick(t, k);
             } else {
                 const QPoint at(t->width() / 2, uniform(0, t->height() - 1));
                 note("track bar click at y " + std::to_string(at.y()));
                 QTest::mouseClick(t, Qt::LeftButton, {}, at);
             }
         }},
        {"port", 20, false, false,
         [&f1, this, name] {
             // Mostly the port of the device, so that the exchanges reach it.
             QComboBox* c = f1.comboBox(QStringLiteral("ComboBox13"));
             const int index = chance(80) ? 0 : -1;
             note("pick in " + name(c) + (index == 0 ? " COM1" : ""));
             pick(c, index);
         }},
        {"read", 15, true, false, compared("read", mainButton("Button1"))},
        {"write", 15, true, false, compared("write", mainButton("Button2"))},
        {"input test 0", 7, true, false, mainButton("Button6")},
        {"input test 1", 7, true, false, mainButton("Button7")},
        {"input test 2", 7, true, false, mainButton("Button8")},
        {"picture button", 30, false, false,
         [=, this] {
             QPushButton* b = anyOf(pictureButtons);
             note("click " + name(b));
             click(b);
         }},
        {"menu", 4, false, false,
         [&f1, this] {
             QAction* a = f1.findChild<QAction*>(chance(50) ? QStringLiteral("Help1")
                                                            : QStringLiteral("Info1"));
             note("menu " + (a ? a->objectName().toStdString() : std::string("?")));
             if (a)
                 a->trigger();
         }},

        // The editor, while it is open.
        {"pen move", 80, false, true,
         [=, this] {
             static const char* pad[] = {"Button7", "Button8", "Button9", "Button10"};
             editorButton(pad[uniform(0, 3)])();
         }},
        {"draw", 40, false, true, editorButton("Button5")},
        {"tab onto draw", 8, false, true,
         [&f2, this] {
             note("editor tab from Button4");
             f2.activateWindow();
             QPushButton* from = f2.button(QStringLiteral("Button4"));
             from->setFocus(Qt::TabFocusReason);
             QTest::keyClick(from, Qt::Key_Tab);
         }},
        {"pen colour", 40, false, true,
         [=, this] {
             const std::string b = "BitBtn" + std::to_string(uniform(4, 11));
             editorButton(b.c_str())();
         }},
        {"preset", 15, false, true,
         [=, this] {
             static const char* presets[] = {"BitBtn1", "BitBtn2", "BitBtn3", "Button3"};
             editorButton(presets[uniform(0, 3)])();
         }},
        {"pen edit", 60, false, true,
         [&f2, this, name] {
             QLineEdit* e = f2.edit(chance(50) ? QStringLiteral("Edit1") : QStringLiteral("Edit2"));
             if (chance(20)) {
                 note("editor keys in " + name(e));
                 editKeys(e);
                 return;
             }
             const QString t = randomText(true);
             note("editor enter " + describe(t) + " into " + name(e));
             enterText(e, t);
         }},
        {"slot choice", 15, false, true,
         [&f2, this] {
             note("editor pick in ComboBox1");
             pick(f2.comboBox());
         }},
        {"slot typed", 5, false, true,
         [&f2, this] {
             QLineEdit* e = f2.comboBox()->lineEdit();
             const QString t =
                 chance(50) ? f2.comboBox()->itemText(uniform(0, 24)) : randomText(true).left(30);
             note("editor type " + describe(t) + " into ComboBox1, Return");
             QTest::mouseClick(e, Qt::LeftButton, {}, e->rect().center());
             QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
             QApplication::clipboard()->setText(t);
             QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
             QTest::keyClick(e, Qt::Key_Return);
         }},
        {"save", 10, false, true, editorButton("Button17")},
        {"load", 10, false, true, editorButton("Button20")},
        {"send", 8, true, true, editorButton("Button4")},
        {"close editor", 10, false, true,
         [&f2, this] {
             note("editor close");
             f2.close();
         }},
    };
}

std::size_t Monkey::eventKinds() const {
    return events_.size();
}

void Monkey::step() {
    ++eventNumber_;
    double total = 0;
    const bool editorOpen = w_.form2->isVisible();
    auto weight = [&](const Event& e) {
        if (e.needsEditor && !editorOpen)
            return 0.0;
        return e.slow ? e.weight * slowScale_ : e.weight;
    };
    for (const Event& e : events_)
        total += weight(e);
    double at = std::uniform_real_distribution<double>(0, total)(random_);
    const Event* chosen = &events_.front();
    for (const Event& e : events_) {
        const double wgt = weight(e);
        if (wgt <= 0)
            continue;
        chosen = &e;
        if (at < wgt)
            break;
        at -= wgt;
    }

    syncCheck_.clear();
    note("#" + std::to_string(eventNumber_) + " " + chosen->kind);
    std::snprintf(crashNote, sizeof crashNote, "monkey: crashed in event %d (%s), seed %u\n",
                  eventNumber_, chosen->kind, static_cast<unsigned>(seed_));
    const auto begin = std::chrono::steady_clock::now();
    chosen->act();
    // Whatever the event queued (deferred deletes, focus changes) runs before the check.
    QCoreApplication::processEvents();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;

    ++stats_.events;
    ++stats_.perKind[chosen->kind];
    stats_.secondsPerKind[chosen->kind] += took.count();
    stats_.seconds += took.count();
}

QStringList Monkey::check() const {
    QStringList broken;
    const TForm1& f1 = *w_.form1;
    const TForm2& f2 = *w_.form2;
    auto text = [&f1](const char* n) { return f1.controlText(QString::fromLatin1(n)); };

    // The long operations have ended and put everything back.
    if (text("Memo43") != QStringLiteral("0"))
        broken << QStringLiteral("read trigger Memo43 holds ") + text("Memo43");
    if (text("Memo42") != QStringLiteral("0"))
        broken << QStringLiteral("write trigger Memo42 holds ") + text("Memo42");
    if (QApplication::overrideCursor() != nullptr)
        broken << QStringLiteral("an override cursor is still set");
    if (f1.progress() != 0)
        broken << QStringLiteral("ProgressBar1 at %1").arg(f1.progress());

    // Number fields never hold an empty text or a character the check refuses.
    auto numberText = [&broken](const QString& where, const QString& t) {
        if (t.isEmpty())
            broken << where + QStringLiteral(" is empty");
        else if (hasForbiddenCharacter(t))
            broken << where + QStringLiteral(" holds ") + QString::fromStdString(describe(t));
    };
    for (const Setting& s : allSettings()) {
        if (s.isEdit())
            numberText(qs(s.control), f1.controlText(qs(s.control)));
    }
    // The pen stands where its edits say, whenever they hold a plain number.
    auto penText = [&](const char* edit, int coordinate) {
        const QString t = f2.edit(QString::fromLatin1(edit))->text();
        numberText(QStringLiteral("editor ") + QString::fromLatin1(edit), t);
        bool number = t.size() <= 9 && !t.isEmpty();
        for (QChar c : t)
            number = number && c >= u'0' && c <= u'9';
        if (coordinate < 0 || (number && t.toInt() != coordinate)) {
            broken << QStringLiteral("editor %1 holds %2, the pen is at %3")
                          .arg(QString::fromLatin1(edit), t)
                          .arg(coordinate);
        }
    };
    penText("Edit1", f2.pen().column);
    penText("Edit2", f2.pen().row);

    // Choices always hold one of their values.
    for (const Setting& s : allSettings()) {
        if (s.kind == FieldKind::Pitch) {
            const int k = f1.selectedIndex(qs(s.control));
            if (k < 0 || k >= static_cast<int>(PitchNames.size()))
                broken << qs(s.control) + QStringLiteral(" at item %1").arg(k);
        }
        if (!s.buttons.empty()) {
            int checked = 0;
            for (const auto& b : s.buttons)
                checked += f1.radioButton(qs(b))->isChecked() ? 1 : 0;
            if (checked != 1)
                broken << qs(s.buttons.front()) +
                              QStringLiteral("'s group has %1 checked").arg(checked);
        }
    }
    const int port = f1.selectedIndex(QStringLiteral("ComboBox13"));
    if (port < 0 || port > 8 || w_.link.PortName != "COM" + std::to_string(port + 1)) {
        broken << QStringLiteral("port box at %1 while the link uses %2")
                      .arg(port)
                      .arg(qs(w_.link.PortName));
    }
    // The brightness mirror follows the track bar from its first move on.
    const int position = f1.trackBarPosition();
    const QString mirror = text("Memo34");
    if (position < 0 || position > 9 ||
        (mirror.isEmpty() ? position != 6 : mirror != QString::number(position))) {
        broken << QStringLiteral("track bar at %1, Memo34 holds ").arg(position) +
                      QString::fromStdString(describe(mirror));
    }
    // Whenever a section's durations and repeats are all numbers, the last change to them
    // computed the sound time from exactly these texts.
    for (const auto& d : soundTimeDisplays()) {
        std::array<QString, 4> durations;
        for (int i = 0; i < 4; ++i)
            durations[i] = f1.controlText(qs(d.toneEdits[i]));
        std::optional<SoundTimeText> expected;
        try {
            expected = soundTime(durations, f1.controlText(qs(d.repeatsEdit)), QLocale());
        } catch (...) {
            // Some text is no number: the display keeps an earlier value.
        }
        const QString unit = f1.controlText(qs(d.unitMemo));
        const QString shown = f1.controlText(qs(d.display));
        if (unit != QStringLiteral("sec") && unit != QStringLiteral("min"))
            broken << qs(d.unitMemo) + QStringLiteral(" holds ") + unit;
        if (shown.isEmpty())
            broken << qs(d.display) + QStringLiteral(" is empty");
        // The start texts are the window's design, not a computed value.
        bool atStart =
            shown == qs(d.startText) && unit == qs(d.startUnit) &&
            f1.controlText(qs(d.repeatsEdit)) == qs(findSettingByControl(d.repeatsEdit)->startText);
        for (int i = 0; i < 4; ++i) {
            atStart =
                atStart && durations[i] == qs(findSettingByControl(d.toneEdits[i])->startText);
        }
        if (expected && !atStart && (shown != expected->value || unit != expected->unit)) {
            broken << qs(d.display) + QStringLiteral(" shows %1 %2, its section gives %3 %4")
                                          .arg(shown, unit, expected->value, expected->unit);
        }
    }

    // Strips show one of their colours; blue above Write means unwritten changes.
    const QColor menu = TForm1::clMenu(), face = f1.clBtnFace(), lime = TForm1::clLime(),
                 red = TForm1::clRed(), blue = TForm1::clBlue(), fuchsia = TForm1::clFuchsia();
    auto strip = [&f1](const char* n) { return f1.stripColor(QString::fromLatin1(n)); };
    if (strip("Memo41") != menu)
        broken << QStringLiteral("Memo41 changed colour");
    if (!isOneOf(strip("Memo40"), {menu, fuchsia, lime, face}))
        broken << QStringLiteral("Memo40 is ") + strip("Memo40").name();
    if (!isOneOf(strip("Memo37"), {menu, blue, lime, red, face}))
        broken << QStringLiteral("Memo37 is ") + strip("Memo37").name();
    if ((strip("Memo37") == blue) && !f1.settingsChanged())
        broken << QStringLiteral("Memo37 blue without unwritten changes");
    for (const char* n : {"Memo39", "Memo38", "Memo36"}) {
        if (!isOneOf(strip(n), {red, lime}))
            broken << QString::fromLatin1(n) + QStringLiteral(" is ") + strip(n).name();
    }

    // Panels nothing writes into keep their start texts.
    if (f1.panelText(0) != QStringLiteral("SW-PN: BLX52") ||
        f1.panelText(5) != QStringLiteral("Welcome")) {
        broken << QStringLiteral("a fixed status panel changed");
    }
    if (w_.link.LinkErrorCode < 0 || w_.link.LinkErrorCode > 9)
        broken << QStringLiteral("link error code %1").arg(w_.link.LinkErrorCode);

    // Picture buttons keep a 32 × 32 glyph.
    for (const PictureSlot& slot : pictureSlots()) {
        if (f1.buttonGlyph(slot.code).size() != QSize(32, 32))
            broken << qs(slot.mainButton) + QStringLiteral(" lost its glyph");
    }

    // The editor: its slot shown in the combo, a picture of LED colours only (nothing else was
    // ever saved into its folder).
    const QString slotText = f2.slotMemo()->text();
    if (const PictureSlot* slot = f2.currentSlot()) {
        if (slotText != QString::number(slot->code) ||
            f2.comboBox()->currentIndex() != slotIndex(slot->code)) {
            broken << QStringLiteral("editor slot %1, Memo1 %2, combo index %3")
                          .arg(slot->code)
                          .arg(slotText)
                          .arg(f2.comboBox()->currentIndex());
        }
    } else if (!slotText.isEmpty()) {
        broken << QStringLiteral("editor Memo1 holds %1 without a slot").arg(slotText);
    }
    const Picture& picture = f2.picture();
    bool ledColoursOnly = true;
    for (int y = 0; y < Picture::Height && ledColoursOnly; ++y) {
        for (int x = 0; x < Picture::Width && ledColoursOnly; ++x) {
            const QRgb p = picture.pixel(x, y) | 0xff000000u;
            ledColoursOnly = ledRgb(static_cast<LedColor>(ClassifyPixel(p))) == p;
        }
    }
    if (!ledColoursOnly)
        broken << QStringLiteral("the editor's picture holds a colour that is no LED colour");

    broken << syncedValuesDiffer();
    return broken;
}

void Monkey::compareAfter(const char* operation) {
    syncCheck_ = operation;
    linesBefore_ = w_.device->receivedLines().size();
}

// After a read or a write that ended lime, the window and the device hold the same settings.
QStringList Monkey::syncedValuesDiffer() const {
    QStringList differ;
    if (syncCheck_.empty())
        return differ;
    const TForm1& f1 = *w_.form1;
    const bool read = syncCheck_ == "read";
    const QColor strip = f1.stripColor(read ? QStringLiteral("Memo40") : QStringLiteral("Memo37"));
    const std::vector<std::string> lines = w_.device->receivedLines();
    const std::string last = read ? "get_brightness" : "set_wt_flag123";
    if (strip != TForm1::clLime() ||
        std::find(lines.begin() + static_cast<std::ptrdiff_t>(std::min(linesBefore_, lines.size())),
                  lines.end(), last) == lines.end()) {
        return differ;
    }
    for (const Setting& s : allSettings()) {
        std::string shown;
        if (s.isEdit()) {
            shown = f1.controlText(qs(s.control)).toStdString();
        } else if (s.kind == FieldKind::Pitch) {
            shown = std::to_string(f1.selectedIndex(qs(s.control)));
        } else if (s.kind == FieldKind::Brightness) {
            shown = std::to_string(f1.trackBarPosition());
        } else {
            shown = std::to_string(f1.checkedButton(s));
        }
        const std::string held = w_.device->value(s.getKey.substr(3));
        if (shown != held) {
            differ << QStringLiteral("after a lime %1 %2 shows %3, the device holds %4")
                          .arg(qs(syncCheck_), qs(s.getKey.substr(3)),
                               qs(describe(QString::fromStdString(shown))),
                               qs(describe(QString::fromStdString(held))));
        }
    }
    return differ;
}

std::string Monkey::run(int events) {
    for (int i = 0; i < events; ++i) {
        step();
        const QStringList broken = check();
        if (!broken.isEmpty()) {
            std::ostringstream out;
            out << "monkey seed " << seed_ << ", event " << eventNumber_ << ": invariant broken\n";
            for (const QString& b : broken)
                out << "  " << b.toStdString() << '\n';
            out << "last events:\n";
            for (const std::string& h : history_)
                out << "  " << h << '\n';
            out << "repeat with BLX52_MONKEY_SEED=" << seed_ << '\n';
            return out.str();
        }
    }
    return {};
}

}  // namespace blx52::monkey
