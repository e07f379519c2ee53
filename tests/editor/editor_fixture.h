#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "link/device_link.h"
#include "picture/picture.h"
#include "picture/picture_batch.h"
#include "picture/picture_files.h"
#include "picture/plane_data.h"
#include "picture/slot_table.h"
#include "sync/profile.h"
#include "sync/settings_store.h"
#include "tests/common/gui_test_support.h"
#include "ui/main_window.h"
#include "ui/picture_editor.h"

namespace blx52 {

// Both windows wired as the program wires them, a private settings folder and ports folder.
class EditorTest : public ::testing::Test {
  protected:
    EditorTest()
        : home(QDir::tempPath() + QStringLiteral("/blx52-editor-XXXXXX")),
          homeVar("HOME", home.path().toLocal8Bit()),
          configVar("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit()),
          folder(home.path() + QStringLiteral("/BLX52_Settings/")) {
        QDir().mkpath(folder);
        form1 = std::make_unique<TForm1>(link, dialogs);
        // The editor's folder for bundles and the buttons too (on Windows the program's own
        // folder is fixed, not below the test's home).
        form1->setPictureFolder(folder);
        form2 = std::make_unique<TForm2>(link, dialogs, folder);
        connectEditor(*form1, *form2);
        form1->show();
    }
    ~EditorTest() override {
        form2.reset();
        form1.reset();
    }

    static const PictureSlot& slot(int code) {
        const PictureSlot* s = findSlot(code);
        EXPECT_NE(s, nullptr) << code;
        return s ? *s : pictureSlots().front();
    }
    QString bitmapPath(int code) const { return bitmapFilePath(slot(code), folder); }
    QString devicePath(int code) const { return devicePictureFilePath(slot(code), folder); }
    void putBitmap(int code, const Picture& picture) {
        ASSERT_FALSE(saveBitmap(picture, bitmapPath(code)).has_value());
    }

    // Clicks as the user does, on the visible windows.
    void clickMain(const QString& name) {
        QPushButton* b = form1->button(name);
        ASSERT_NE(b, nullptr) << name.toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void click(const QString& name) {
        QPushButton* b = form2->button(name);
        ASSERT_NE(b, nullptr) << name.toStdString();
        ASSERT_TRUE(b->isVisible()) << name.toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QLineEdit* edit(const char* name) const { return form2->edit(QString::fromLatin1(name)); }
    QString slotText() const { return form2->slotMemo()->text(); }
    int comboIndex() const { return form2->comboBox()->currentIndex(); }
    bool mainSideChecked() const {
        return form1->checkBox(QStringLiteral("CheckBox1"))->isChecked();
    }

    // Opens a settings file holding these pictures through the main window's File menu; its
    // question is answered with dialogs.answerYes.
    void openBundle(const std::vector<std::pair<int, Picture>>& pictures) {
        std::vector<ProfilePicture> bundled;
        for (const auto& [code, picture] : pictures)
            bundled.push_back({code, makeCodeGrid(picture).codes});
        SettingsStore store;
        StoreSyncView view(store);
        QByteArray bytes;
        ASSERT_TRUE(composeProfile(view, bytes, bundled).isEmpty());
        const QString path = home.path() + QStringLiteral("/bundle.blx52");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        form1->setSettingsChanged(false);  // no question about the window's own settings
        form1->setFileNameChooser([path](bool) { return path; });
        form1->findChild<QAction*>(QStringLiteral("OpenSettings1"))->trigger();
    }

    // Opens the editor on slot 100 showing a black picture and sets the pen.
    void openBlackWithPen(const QString& colorButton, int column, int row) {
        putBitmap(100, Picture());
        clickMain(QStringLiteral("BitBtn1"));
        click(colorButton);
        edit("Edit1")->setText(QString::number(column));
        edit("Edit2")->setText(QString::number(row));
    }

    QTemporaryDir home;
    EnvOverride homeVar;
    EnvOverride configVar;
    QString folder;
    FakeDialogs dialogs;
    DeviceLink link;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
};

// Pictures that tell apart which file was loaded.
inline Picture filled(LedColor color) {
    Picture p;
    p.fill(color);
    return p;
}

// Rows of the eight colours, shifted per slot: a picture no file of the tests holds by chance.
inline Picture stripes(int slotCode) {
    CodeGrid grid;
    for (std::size_t i = 0; i < grid.codes.size(); ++i)
        grid.codes[i] =
            static_cast<std::uint8_t>((i / 32 + static_cast<std::size_t>(slotCode)) % 8);
    return pictureFromCodes(grid);
}

}  // namespace blx52
