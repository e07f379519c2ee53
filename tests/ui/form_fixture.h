#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>
#include <functional>
#include <memory>

#include "link/device_link.h"
#include "tests/common/gui_test_support.h"
#include "ui/main_window.h"

namespace blx52 {

// A port that cannot be opened: the link reports through the window's status bar.
class MissingPort : public SerialPort {
  public:
    bool open(const std::string&) override {
        if (onOpen)
            onOpen();
        return false;
    }
    bool readSettings() override { return false; }
    bool applyLineSettings() override { return false; }
    bool applyTimeouts() override { return false; }
    void discardInput() override {}
    std::optional<std::size_t> write(const std::uint8_t*, std::size_t) override { return {}; }
    std::optional<std::size_t> read(std::uint8_t*, std::size_t) override { return {}; }
    void close() override {}
    std::function<void()> onOpen;  // to look at the window when the exchange begins
};

// A fresh main window with a German number format, as on the users' desktops.
class FormTest : public ::testing::Test {
  protected:
    FormTest() : saved(QLocale()), link(nullptr, [] { return std::make_unique<MissingPort>(); }) {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        form = std::make_unique<TForm1>(link, dialogs);
        form->show();
    }
    ~FormTest() override {
        form.reset();
        QLocale::setDefault(saved);
    }

    QString text(const char* name) const { return form->controlText(QString::fromLatin1(name)); }
    void setText(const char* name, const QString& t) {
        form->edit(QString::fromLatin1(name))->setText(t);
    }
    int pitch(const char* box) const { return form->selectedIndex(QString::fromLatin1(box)); }
    bool checked(const char* radio) const {
        return form->radioButton(QString::fromLatin1(radio))->isChecked();
    }
    void store(const char* memo, const char* t) {
        form->storeLanding(QString::fromLatin1(memo), QString::fromUtf8(t));
    }
    // Forgets the marks of earlier steps, as a completed write would.
    void clearChanges() {
        form->setSettingsChanged(false);
        form->setStrip(QStringLiteral("Memo37"), TForm1::clMenu());
    }
    bool writeStripBlue() const {
        return form->stripColor(QStringLiteral("Memo37")) == TForm1::clBlue();
    }

    QLocale saved;
    FakeDialogs dialogs;
    DeviceLink link;
    std::unique_ptr<TForm1> form;
};

}  // namespace blx52
