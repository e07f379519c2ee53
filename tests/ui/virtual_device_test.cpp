// blx52-devsim --panel: the virtual device follows what the simulator took, not a window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "picture/plane_data.h"
#include "picture/slot_table.h"
#include "tools/devsim/device_simulator.h"
#include "tools/devsim/virtual_device.h"

namespace blx52::devsim {
namespace {

class VirtualDeviceTest : public ::testing::Test {
  protected:
    VirtualDeviceTest() {
        VirtualDevice::Device access;
        access.value = [this](const std::string& name) { return sim.value(name); };
        access.picture = [this](const std::string& name) { return sim.picture(name); };
        device = std::make_unique<VirtualDevice>(std::move(access), [this] { return now; });
        device->show();
    }
    // A line as the simulator takes it off the wire, then hands it to its panel.
    void receive(const std::string& line) {
        sim.answer(line);
        device->lineReceived(line);
    }
    void advance(std::int64_t ms) {
        now += ms;
        device->tick();
    }
    Section section() { return device->playback().timeline().section; }

    std::int64_t now = 0;
    DeviceSimulator sim;
    std::unique_ptr<VirtualDevice> device;
};

TEST_F(VirtualDeviceTest, InputTestLinesSwitchItsInputsAfterDeviceStart) {
    EXPECT_EQ(section(), Section::Res);  // it starts as a device does
    const std::int64_t start = *device->playback().timeline().endMs();
    receive("outin1_1");
    receive("outin2_1");
    EXPECT_EQ(section(), Section::Res);  // device start plays to its end
    advance(start);
    EXPECT_EQ(section(), Section::In3);
    EXPECT_EQ(device->shownSlot(), 130);
    EXPECT_TRUE(device->findChild<QCheckBox*>(QStringLiteral("PreviewInput1"))->isChecked());
    receive("outin2_0");
    EXPECT_EQ(section(), Section::In1);
    receive("outin0_1");
    EXPECT_EQ(section(), Section::In0);
    receive("outin0_0");
    receive("outin1_0");
    EXPECT_EQ(section(), Section::Sby);
    QTest::mouseClick(device->findChild<QPushButton*>(QStringLiteral("VirtualPowerOn")),
                      Qt::LeftButton);
    EXPECT_EQ(section(), Section::Res);
    EXPECT_EQ(device->lines()->count(), 6);
    EXPECT_EQ(device->lines()->item(0)->text(), QStringLiteral("outin1_1"));
}

TEST_F(VirtualDeviceTest, PlaysTheSimulatorsStoredSettingsAndReceivedPictures) {
    receive("outin2_1");
    advance(*device->playback().timeline().endMs());
    ASSERT_EQ(section(), Section::In2);
    receive("setin2pic0t300");
    EXPECT_EQ(device->playback().timeline().pictures.front().durationMs, 300);
    Picture red;
    red.fill(LedColor::Red);
    const auto command = pictureCommand(*findSlot(121), red);
    receive(std::string(command.begin(), command.end()));
    advance(300);
    EXPECT_EQ(device->shownSlot(), 121);
    EXPECT_EQ(pictureFromPlanes(*sim.picture("in2pic1")), red);
    device->grab().save(QDir::temp().filePath(QStringLiteral("virtual-device.png")));
}

}  // namespace
}  // namespace blx52::devsim
