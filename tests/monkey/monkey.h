#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "link/device_link.h"
#include "tests/common/gui_test_support.h"
#include "tests/common/simulated_device.h"
#include "tools/devsim/options.h"
#include "ui/main_window.h"
#include "ui/picture_editor.h"

class QComboBox;
class QLineEdit;
class QTemporaryDir;
class QWidget;

namespace blx52::monkey {

// Both windows wired as the program wires them, the simulated device on COM1, every other port
// name pointing at a device that is gone (so no run ever opens a real serial line), and private
// home, configuration and picture folders.
class World {
  public:
    explicit World(devsim::Options device = {});
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    bool started() const { return started_; }
    QString folder() const { return folder_; }

    std::unique_ptr<QTemporaryDir> home;
    std::unique_ptr<EnvOverride> homeVar;
    std::unique_ptr<EnvOverride> configVar;
    std::unique_ptr<test::SimulatedDevice> device;
    std::string whyNotStarted;
    FakeDialogs dialogs;
    DeviceLink link;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    int escapedErrors = 0;  // errors that reached the application's last net

  private:
    QString folder_;
    bool started_ = false;
};

// What a run did: events per kind, time per kind, dialogs answered.
struct RunStats {
    int events = 0;
    std::map<std::string, int> perKind;
    std::map<std::string, double> secondsPerKind;
    int dialogs = 0;
    double seconds = 0;
};

// The random user. Every event goes through the windows as a user's input would (mouse clicks,
// key presses, pastes, a combo pick as its list makes it, closing the editor window); every
// modal message is answered with OK or Cancel at random.
class Monkey {
  public:
    Monkey(World& world, std::uint32_t seed);
    ~Monkey();

    // Lower than 1 makes reads, writes, input tests and picture sends rarer, for a device whose
    // every exchange waits for the read time-out.
    void setSlowEventScale(double scale) { slowScale_ = scale; }

    // One random event; its description goes to the history.
    void step();
    // The broken invariants, one line each; empty when all hold.
    QStringList check() const;

    // The next check also compares the window with the device's store when this read or write
    // ("read", "write") ends lime; step() forgets it.
    void compareAfter(const char* operation);

    // Runs `events` events and checks after each. Returns the failure report (seed, event number,
    // what broke, the last events) or an empty string.
    std::string run(int events);

    const std::deque<std::string>& history() const { return history_; }
    const std::vector<std::string>& fullLog() const { return fullLog_; }
    void keepFullLog(bool keep) { keepFullLog_ = keep; }
    const RunStats& stats() const { return stats_; }
    std::size_t eventKinds() const;
    std::uint32_t seed() const { return seed_; }

  private:
    struct Event;
    void buildEvents();

    int uniform(int low, int high);  // both ends included
    bool chance(int percent);
    QString randomText(bool forPen);
    void note(std::string text);

    // User inputs.
    void click(QWidget* widget);
    void enterText(QLineEdit* edit, const QString& text);
    void editKeys(QLineEdit* edit);
    void pick(QComboBox* box, int preferredIndex = -1);
    QStringList syncedValuesDiffer() const;

    World& w_;
    std::uint32_t seed_;
    std::mt19937 random_;
    double slowScale_ = 1.0;
    std::vector<Event> events_;
    std::deque<std::string> history_;
    std::vector<std::string> fullLog_;
    bool keepFullLog_ = false;
    int eventNumber_ = 0;
    std::string syncCheck_;  // "read" or "write" when the event clicked one
    std::size_t linesBefore_ = 0;
    RunStats stats_;
};

// Printable form of a text for the event log: control and non-ASCII characters as \u escapes,
// long texts cut in the middle with their length.
std::string describe(const QString& text);

}  // namespace blx52::monkey
