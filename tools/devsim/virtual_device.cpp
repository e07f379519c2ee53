#include "tools/devsim/virtual_device.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "picture/plane_data.h"
#include "picture/slot_table.h"
#include "sync/settings_store.h"
#include "tools/devsim/device_simulator.h"

namespace blx52::devsim {

namespace {

constexpr int MaxListedLines = 1000;

}  // namespace

Picture pictureFromPlanes(const std::vector<std::uint8_t>& planes) {
    Picture picture;
    if (planes.size() != static_cast<std::size_t>(PlaneDataSize))
        return picture;
    for (int y = 0; y < Picture::Height; ++y) {
        const int group = planeGroupOfRow(y) * PlaneGroupSize;
        for (int x = 0; x < Picture::Width; ++x) {
            const auto bit = static_cast<std::uint8_t>(0x80u >> (x % 8));
            int code = 0;
            for (int plane = 0; plane < 3; ++plane) {
                if (planes[static_cast<std::size_t>(group + 4 * plane + x / 8)] & bit)
                    code |= 1 << plane;
            }
            picture.setPixel(x, y, static_cast<LedColor>(code));
        }
    }
    return picture;
}

VirtualDevice::VirtualDevice(Device device, Playback::Clock clock,
                             std::unique_ptr<SoundOutput> sound, QWidget* parent)
    : PreviewView(std::move(clock), std::move(sound), true, parent), device_(std::move(device)) {
    setObjectName(QStringLiteral("VirtualDevice"));
    setWindowTitle(QStringLiteral("BLX52 virtual device"));
    powerOn_->setObjectName(QStringLiteral("VirtualPowerOn"));
    powerOn_->setText(QStringLiteral("Power"));
    lines_ = new QListWidget;
    lines_->setObjectName(QStringLiteral("VirtualLines"));
    lines_->setMinimumWidth(220);
    auto* side = new QWidget(this);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new QLabel(QStringLiteral("Received:"), side));
    column->addWidget(lines_);
    static_cast<QGridLayout*>(layout())->addWidget(side, 0, 2, 5, 1);
    setPictureSource([this](int slotCode) {
        const PictureSlot* slot = findSlot(slotCode);
        if (slot == nullptr || !device_.picture)
            return Picture();
        const auto planes = device_.picture(slot->command.substr(3, 7));
        return planes ? pictureFromPlanes(*planes) : Picture();
    });
    reload();
    playback().powerOn();
    playback().play();
    tick();
    resize(860, 520);
}

void VirtualDevice::reload() {
    SettingsStore store;
    for (const Setting& s : allSettings()) {
        if (device_.value)
            store.setValue(s, QString::fromStdString(device_.value(s.getKey.substr(3))));
    }
    setSettings(readPlaybackSettings(store));
}

void VirtualDevice::lineReceived(const std::string& line) {
    lines_->addItem(QString::fromStdString(printable(line)));
    while (lines_->count() > MaxListedLines)
        delete lines_->takeItem(0);
    lines_->scrollToBottom();
    if (isPictureDataKey(line)) {
        picturesChanged();
    } else if (line.size() == 8 && line.rfind("outin", 0) == 0 && line[6] == '_' &&
               line[5] >= '0' && line[5] <= '2') {
        // An input test: "outin<input>_<0|1>".
        inputs_[static_cast<std::size_t>(line[5] - '0')]->setChecked(line[7] == '1');
        playback().setInputs(inputs_[0]->isChecked(), inputs_[1]->isChecked(),
                             inputs_[2]->isChecked());
        tick();
    } else if (line.rfind("set", 0) == 0) {
        reload();
    }
}

}  // namespace blx52::devsim
