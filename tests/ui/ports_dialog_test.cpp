// The port list with each port's state, and "Ports…": assigning, unassigning and choosing a name,
// and Find device against simulated devices on pseudo-terminals (Linux: the port folder and the
// pseudo-terminals are the test's own).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "link/port_map.h"
#include "link/port_names.h"
#include "link/serial_port.h"
#include "sync/port_list.h"
#include "tests/common/gui_test_support.h"
#include "tests/common/simulated_device.h"
#include "ui/main_window.h"
#include "ui/ports_dialog.h"

namespace blx52 {
namespace {

namespace fs = std::filesystem;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

class PortsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        home = std::make_unique<EnvOverride>("XDG_CONFIG_HOME", config.path().toUtf8());
    }
    void TearDown() override {
        form.reset();
        sims.clear();
        home.reset();
    }

    test::SimulatedDevice* startDevice(const std::string& name) {
        std::string why;
        auto sim = test::startSimulatedDevice(name, &why);
        EXPECT_TRUE(sim) << why;
        if (!sim)
            return nullptr;
        if (sim->inOtherProcess())
            return nullptr;  // under Wine: one device in another process
        sims.push_back(std::move(sim));
        return sims.back().get();
    }
    std::string folderEntry(const char* name) const { return portsFolder() + "/" + name; }

    TForm1* openForm() {
        form = std::make_unique<TForm1>(link, dialogs);
        form->show();
        return form.get();
    }

    QTemporaryDir config;
    std::unique_ptr<EnvOverride> home;
    std::vector<std::unique_ptr<test::SimulatedDevice>> sims;
    FakeDialogs dialogs;
    DeviceLink link;
    std::unique_ptr<TForm1> form;
};

const PortEntry* findPort(const QList<PortEntry>& ports, const std::string& device) {
    for (const PortEntry& p : ports) {
        if (p.device == qs(device))
            return &p;
    }
    return nullptr;
}

void clickRow(QTableWidget* table, int row) {
    ASSERT_NE(table, nullptr);
    ASSERT_LT(row, table->rowCount());
    const QRect rect = table->visualItemRect(table->item(row, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
}

int rowOf(QTableWidget* table, const QString& text) {
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, 0) != nullptr && table->item(row, 0)->text() == text)
            return row;
    }
    return -1;
}

TEST_F(PortsTest, EachNameAndPortShowsWhatAnOpenWouldDo) {
    test::SimulatedDevice* sim = startDevice("COM2");
    if (sim == nullptr)
        GTEST_SKIP() << "the port folder and the pseudo-terminals are Linux's";
    fs::create_symlink("/nonexistent/blx52-adapter", folderEntry("COM4"));
    fs::create_directories(config.filePath("a-folder").toStdString());
    fs::create_symlink(config.filePath("a-folder").toStdString(), folderEntry("COM5"));

    const struct {
        bool held;  // the simulator's port held open by another exchange's port
        PortState com2, com4, com5, pty;
    } cases[] = {
        {false, PortState::Free, PortState::Missing, PortState::NotATerminal, PortState::Free},
        {true, PortState::Busy, PortState::Missing, PortState::NotATerminal, PortState::Busy},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.held ? "held" : "free");
        std::unique_ptr<SerialPort> holder = makeSystemSerialPort();
        if (c.held) {
            ASSERT_TRUE(holder->open(sim->devicePath()));
        }
        const QList<PortNameEntry> names = listPortNames();
        ASSERT_EQ(names.size(), 9);
        EXPECT_EQ(names[1].name, QStringLiteral("COM2"));
        EXPECT_EQ(names[1].target, qs(sim->devicePath()));
        EXPECT_EQ(names[1].state, c.com2);
        EXPECT_EQ(names[3].target, QStringLiteral("/nonexistent/blx52-adapter"));
        EXPECT_EQ(names[3].state, c.com4);
        EXPECT_EQ(names[4].state, c.com5);
        EXPECT_TRUE(names[6].target.isEmpty());
        EXPECT_EQ(names[6].opens, QStringLiteral("/dev/ttyS6"));

        const QList<PortEntry> ports = listSystemPorts();
        const PortEntry* pty = findPort(ports, sim->devicePath());
        ASSERT_NE(pty, nullptr) << "the simulator's pseudo-terminal is not listed";
        EXPECT_EQ(pty->state, c.pty);
        EXPECT_EQ(pty->names, QStringList{QStringLiteral("COM2")});
        // Neither the missing device nor the folder is a port of the system.
        EXPECT_EQ(findPort(ports, "/nonexistent/blx52-adapter"), nullptr);
        EXPECT_EQ(findPort(ports, config.filePath("a-folder").toStdString()), nullptr);
    }
    // A prober opens each device once, for a name and its port alike: taken by another program
    // after that first look, the port shows what it was until the prober forgets; a device that
    // comes under the name later is looked at at once.
    PortProber prober;
    EXPECT_EQ(listPortNames(prober)[1].state, PortState::Free);
    std::unique_ptr<SerialPort> holder = makeSystemSerialPort();
    ASSERT_TRUE(holder->open(sim->devicePath()));
    EXPECT_EQ(listPortNames(prober)[1].state, PortState::Free);
    const QList<PortEntry> seen = listSystemPorts(prober);
    const PortEntry* pty = findPort(seen, sim->devicePath());
    ASSERT_NE(pty, nullptr);
    EXPECT_EQ(pty->state, PortState::Free);
    prober.forget();
    EXPECT_EQ(listPortNames(prober)[1].state, PortState::Busy);
    test::SimulatedDevice* other = startDevice("COM6");
    ASSERT_NE(other, nullptr);
    fs::remove(folderEntry("COM2"));
    fs::create_symlink(other->devicePath(), folderEntry("COM2"));
    EXPECT_EQ(listPortNames(prober)[1].state, PortState::Free);
    // Listing sent nothing.
    EXPECT_TRUE(sim->receivedLines().empty());
    EXPECT_TRUE(other->receivedLines().empty());
}

// Windows: the device behind Wine's COM1 and, through the mapping, COM3 standing for the high
// port that leads there too; the other names lead nowhere.
TEST_F(PortsTest, WindowsNamesShowTheirMappingAndState) {
    const QString high = qEnvironmentVariable("BLX52_SIM_HIGH_PORT");
    std::string why;
    auto sim = test::startSimulatedDevice("COM1", &why);
    ASSERT_TRUE(sim) << why;
    if (!sim->inOtherProcess() || high.isEmpty())
        GTEST_SKIP() << "Wine's COM ports mapped to the simulator (run-tests.sh)";
    EnvOverride appData("APPDATA", config.path().toUtf8());
    std::string error;
    ASSERT_TRUE(assignPort(3, high.toStdString(), error)) << error;
    const QList<PortNameEntry> names = listPortNames();
    ASSERT_EQ(names.size(), 9);
    EXPECT_EQ(names[0].state, PortState::Free);
    EXPECT_TRUE(names[0].target.isEmpty());
    EXPECT_EQ(names[0].opens, QStringLiteral("COM1"));
    EXPECT_NE(names[1].state, PortState::Free);  // Wine opens the path, then refuses settings
    EXPECT_EQ(names[2].target, high);
    EXPECT_EQ(names[2].opens, high);
    EXPECT_EQ(names[2].state, PortState::Free);
    const QList<PortEntry> ports = listSystemPorts();
    const PortEntry* mapped = findPort(ports, high.toStdString());
    ASSERT_NE(mapped, nullptr);
    EXPECT_EQ(mapped->state, PortState::Free);
    EXPECT_TRUE(mapped->names.contains(QStringLiteral("COM3")));
    QStringList listed;
    for (const PortEntry& p : ports)
        listed << p.device + QStringLiteral(" (") + p.description + QStringLiteral(")");
    std::printf("Wine lists: %s\n", qPrintable(listed.join(QStringLiteral(", "))));
}

// Saves a render where BLX52_RENDER_DIR says (for looking at it), else in the temporary folder.
void render(QWidget* widget, const QString& name) {
    const QString dir = qEnvironmentVariableIsSet("BLX52_RENDER_DIR")
                            ? qEnvironmentVariable("BLX52_RENDER_DIR")
                            : QDir::tempPath();
    if (QDir().mkpath(dir))
        widget->grab().save(QDir(dir).filePath(name));
}

// On Linux the device is a pseudo-terminal that COM2 leads to; under Wine it is the simulator
// beside Wine, on COM1 and on a high port (COM14) that the dialog assigns to COM6.
TEST_F(PortsTest, DeviceMenuOpensPortsWhereANameIsAssignedChosenAndUnassigned) {
    test::SimulatedDevice* sim = startDevice("COM2");
    std::unique_ptr<test::SimulatedDevice> remote;
    std::unique_ptr<EnvOverride> appData;
    QString devicePort;  // how the system's list names the device's port
    if (sim != nullptr) {
        devicePort = qs(sim->devicePath());
    } else {
        std::string why;
        remote = test::startSimulatedDevice("COM1", &why);
        ASSERT_TRUE(remote) << why;
        devicePort = qEnvironmentVariable("BLX52_SIM_HIGH_PORT");
        if (devicePort.isEmpty())
            GTEST_SKIP() << "no high COM port leads to the simulator (BLX52_SIM_HIGH_PORT)";
        appData = std::make_unique<EnvOverride>("APPDATA", config.path().toUtf8());
    }
    TForm1* f = openForm();
    QMenu* device = f->findChild<QMenu*>(QStringLiteral("Device1"));
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->menuAction()->iconText(), QStringLiteral("Device"));
    auto* ports = f->findChild<QAction*>(QStringLiteral("Ports1"));
    ASSERT_NE(ports, nullptr);
    EXPECT_EQ(ports->text(), QString::fromUtf8("Ports\u2026"));
    ports->trigger();
    PortsDialog* dialog = f->portsDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->objectName(), QStringLiteral("PortsDialog"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    auto* names = dialog->findChild<QTableWidget*>(QStringLiteral("PortNames"));
    auto* system = dialog->findChild<QTableWidget*>(QStringLiteral("SystemPorts"));
    ASSERT_NE(names, nullptr);
    ASSERT_NE(system, nullptr);
    ASSERT_EQ(names->rowCount(), 9);
    const int deviceRow = rowOf(system, devicePort);
    ASSERT_GE(deviceRow, 0) << devicePort.toStdString();
    EXPECT_EQ(system->item(deviceRow, 2)->text(), QStringLiteral("free"));
    if (sim != nullptr) {
        EXPECT_EQ(names->item(1, 1)->text(), devicePort);
        EXPECT_EQ(names->item(1, 2)->text(), QStringLiteral("free"));
        EXPECT_EQ(system->item(deviceRow, 3)->text(), QStringLiteral("COM2"));
    } else {
        EXPECT_EQ(names->item(0, 1)->text(), QStringLiteral("COM1 (its own port)"));
        EXPECT_EQ(names->item(0, 2)->text(), QStringLiteral("free"));
    }

    // Assign: mark the name, double-click the port.
    clickRow(names, 5);
    // A double click as the system delivers it: the first click, then the double-click event.
    const QPoint portPoint = system->visualItemRect(system->item(deviceRow, 0)).center();
    QTest::mouseClick(system->viewport(), Qt::LeftButton, {}, portPoint);
    QTest::mouseDClick(system->viewport(), Qt::LeftButton, {}, portPoint);
    EXPECT_EQ(qs(mappedTarget(6)), devicePort)
        << dialog->findChild<QLabel*>(QStringLiteral("PortsMessage"))->text().toStdString();
    EXPECT_EQ(names->item(5, 1)->text(), devicePort);
    EXPECT_EQ(names->item(5, 2)->text(), QStringLiteral("free"));

    // Choose: the window's combo takes it through its own rule, and the link follows.
    auto* use = dialog->findChild<QPushButton*>(QStringLiteral("UsePortName"));
    ASSERT_NE(use, nullptr);
    QTest::mouseClick(use, Qt::LeftButton);
    EXPECT_EQ(f->comboBox(QStringLiteral("ComboBox13"))->currentIndex(), 5);
    EXPECT_EQ(link.PortName, "COM6");
    EXPECT_EQ(f->panelText(2), QStringLiteral("COM6"));
    link.Exchange("getdatafw", 9);
    EXPECT_EQ(link.LinkErrorCode, 0);
    EXPECT_EQ(link.LastReply, "4.1");

    // The list follows a change made elsewhere within a second.
    std::string error;
    if (sim != nullptr) {
        fs::create_symlink("/nonexistent/blx52-adapter", folderEntry("COM9"));
        QTRY_COMPARE_WITH_TIMEOUT(names->item(8, 1)->text(),
                                  QStringLiteral("/nonexistent/blx52-adapter"), 3000);
        EXPECT_EQ(names->item(8, 2)->text(), QStringLiteral("missing"));
    } else {
        ASSERT_TRUE(assignPort(9, devicePort.toStdString(), error)) << error;
        QTRY_COMPARE_WITH_TIMEOUT(names->item(8, 1)->text(), devicePort, 3000);
        EXPECT_EQ(names->item(8, 2)->text(), QStringLiteral("free"));
    }
    render(dialog, QStringLiteral("ports_dialog.png"));

    // Unassign: mark the name, click the button.
    clickRow(names, 5);
    auto* unassign = dialog->findChild<QPushButton*>(QStringLiteral("UnassignPort"));
    ASSERT_NE(unassign, nullptr);
    QTest::mouseClick(unassign, Qt::LeftButton);
    EXPECT_TRUE(mappedTarget(6).empty());
    EXPECT_EQ(names->item(5, 1)->text(), sim != nullptr
                                             ? QStringLiteral("/dev/ttyS5 (its own port)")
                                             : QStringLiteral("COM6 (its own port)"));

    // A port another program takes shows busy once the user has the ports checked again.
    if (sim != nullptr) {
        std::unique_ptr<SerialPort> holder = makeSystemSerialPort();
        ASSERT_TRUE(holder->open(sim->devicePath()));
        auto* check = dialog->findChild<QPushButton*>(QStringLiteral("CheckPorts"));
        ASSERT_NE(check, nullptr);
        QTest::mouseClick(check, Qt::LeftButton);
        EXPECT_EQ(names->item(1, 2)->text(), QStringLiteral("busy"));
        EXPECT_EQ(system->item(rowOf(system, devicePort), 2)->text(), QStringLiteral("busy"));
    }
}

TEST_F(PortsTest, ThePortListTakesTheRoomAndTheWindowsPortBoxTellsWhereEachNameLeads) {
    test::SimulatedDevice* sim = startDevice("COM2");
    if (sim == nullptr)
        GTEST_SKIP() << "the port folder and the pseudo-terminals are Linux's";
    fs::create_symlink("/nonexistent/blx52-adapter", folderEntry("COM4"));
    // Ports with and without a description from the system.
    auto lister = [](PortProber&) {
        PortEntry described, bare;
        described.device = QStringLiteral("/dev/ttyUSB0");
        described.description = QStringLiteral("FT232R USB UART");
        bare.device = QStringLiteral("/dev/ttyUSB1");
        bare.stablePath = QStringLiteral("/dev/serial/by-id/usb-Prolific_1a2b-if00-port0");
        return QList<PortEntry>{described, bare};
    };
    TForm1* f = openForm();
    PortsDialog dialog([](int) {}, f, lister);
    dialog.resize(640, 600);
    dialog.show();
    QApplication::processEvents();
    auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("SystemPorts"));
    auto* results = dialog.findChild<QListWidget*>(QStringLiteral("FindResults"));
    ASSERT_TRUE(table && results);
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("FT232R USB UART"));
    EXPECT_EQ(table->item(1, 1)->text(), QStringLiteral("usb-Prolific_1a2b-if00-port0"));
    // The empty search log is one line high; the computer's ports have the rest.
    EXPECT_LT(results->height(), 3 * results->fontMetrics().height());
    EXPECT_GT(table->height(), 4 * results->height());
    for (int k = 0; k < 12; ++k)
        results->addItem(QStringLiteral("line %1").arg(k));
    EXPECT_GT(results->height(), 5 * results->sizeHintForRow(0));
    EXPECT_LT(results->height(), 8 * results->sizeHintForRow(0));
    render(&dialog, QStringLiteral("ports_dialog_layout.png"));

    // Dropping the port box down looks at each name.
    QComboBox* box = f->comboBox(QStringLiteral("ComboBox13"));
    EXPECT_FALSE(box->itemData(1, Qt::ToolTipRole).isValid());
    box->showPopup();
    box->hidePopup();
    EXPECT_EQ(box->itemData(1, Qt::ToolTipRole).toString(),
              QStringLiteral("COM2 leads to %1: free").arg(qs(sim->devicePath())));
    EXPECT_TRUE(
        box->itemData(3, Qt::ToolTipRole)
            .toString()
            .startsWith(QStringLiteral("COM4 leads to /nonexistent/blx52-adapter: missing")));
    EXPECT_TRUE(box->itemData(6, Qt::ToolTipRole)
                    .toString()
                    .startsWith(QStringLiteral("COM7 opens its own port /dev/ttyS6: ")));
    EXPECT_TRUE(sim->receivedLines().empty());

    expectF1OpensChapter(&dialog, "ports-and-finding-the-device");
}

TEST_F(PortsTest, FindDeviceAsksEachFreePortOnceAndOffersTheAnsweringOnes) {
    test::SimulatedDevice* first = startDevice("COM2");
    if (first == nullptr)
        GTEST_SKIP() << "several simulated devices need Linux";
    test::SimulatedDevice* second = startDevice("COM8");
    test::SimulatedDevice* silent = startDevice("COM3");
    test::SimulatedDevice* held = startDevice("COM4");
    ASSERT_TRUE(second && silent && held);
    second->setValue("datafw", "4.2");
    devsim::Options quiet;
    quiet.silent = true;
    silent->setOptions(quiet);
    // The second device has no name yet: a port the system lists but no name leads to.
    fs::remove(folderEntry("COM8"));
    std::unique_ptr<SerialPort> holder = makeSystemSerialPort();
    ASSERT_TRUE(holder->open(held->devicePath()));

    // The real list, cut to the simulated devices so that this machine's own ports stay out.
    const std::vector<std::string> ours = {first->devicePath(), second->devicePath(),
                                           silent->devicePath(), held->devicePath()};
    auto lister = [ours](PortProber& prober) {
        QList<PortEntry> kept;
        for (const PortEntry& p : listSystemPorts(prober)) {
            if (std::find(ours.begin(), ours.end(), p.device.toStdString()) != ours.end())
                kept << p;
        }
        PortEntry unnamed;
        unnamed.device = qs(ours[1]);
        const PortProbe probe = prober(ours[1]);
        unnamed.state = probe.state;
        kept << unnamed;
        return kept;
    };
    TForm1* f = openForm();
    PortsDialog dialog(
        [f](int k) { f->comboBox(QStringLiteral("ComboBox13"))->setCurrentIndex(k); }, f, lister);
    dialog.show();
    auto* results = dialog.findChild<QListWidget*>(QStringLiteral("FindResults"));
    auto* find = dialog.findChild<QPushButton*>(QStringLiteral("FindDevice"));
    ASSERT_TRUE(results && find);
    QTest::mouseClick(find, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.finding(), 10000);

    QStringList lines;
    for (int i = 0; i < results->count(); ++i)
        lines << results->item(i)->text();
    const QString p1 = qs(first->devicePath()), p2 = qs(second->devicePath()),
                  p3 = qs(silent->devicePath()), p4 = qs(held->devicePath());
    EXPECT_EQ(lines,
              (QStringList{QStringLiteral("Asking, one after another: %1, %2, %3").arg(p1, p3, p2),
                           p4 + QStringLiteral(": busy, not asked"),
                           p1 + QStringLiteral(": BLX52, firmware 4.1, reached as COM2"),
                           p3 + QStringLiteral(": no answer (code 8)"),
                           p2 + QStringLiteral(": BLX52, firmware 4.2, no COM name leads to it"),
                           QStringLiteral("2 device(s) answered: mark one and use it.")}))
        << lines.join(u'\n').toStdString();
    for (test::SimulatedDevice* asked : {first, second, silent})
        EXPECT_EQ(asked->receivedLines(), std::vector<std::string>{"getdatafw"});
    EXPECT_TRUE(held->receivedLines().empty());

    render(&dialog, QStringLiteral("ports_dialog_find.png"));

    // The unnamed one, used: mapped to the marked name and chosen in the window.
    dialog.setCurrentName(6);
    results->setCurrentRow(4);
    auto* useFound = dialog.findChild<QPushButton*>(QStringLiteral("UseFoundDevice"));
    ASSERT_NE(useFound, nullptr);
    ASSERT_TRUE(useFound->isEnabled());
    QTest::mouseClick(useFound, Qt::LeftButton);
    EXPECT_EQ(mappedTarget(7), second->devicePath());
    EXPECT_EQ(link.PortName, "COM7");
    // One that a name leads to already is chosen by that name.
    results->setCurrentRow(2);
    QTest::mouseClick(useFound, Qt::LeftButton);
    EXPECT_EQ(link.PortName, "COM2");
    EXPECT_EQ(f->comboBox(QStringLiteral("ComboBox13"))->currentIndex(), 1);
    // Nothing more went to any port.
    for (test::SimulatedDevice* asked : {first, second, silent})
        EXPECT_EQ(asked->receivedLines().size(), 1u);
}

}  // namespace
}  // namespace blx52
