#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QImage>
#include <QMainWindow>
#include <QString>

#include "link/device_link.h"
#include "picture/picture.h"
#include "picture/picture_document.h"
#include "picture/picture_files.h"
#include "picture/picture_send.h"
#include "picture/slot_table.h"
#include "ui/change_events.h"
#include "ui/dialogs.h"
#include "ui/handler_guard.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace blx52 {

class ExchangeLog;
class TForm1;
class PictureCanvas;

// The picture editor: one slot's 32 × 32 picture, the pen, the slot's files and the send.
// Controls carry their designer names (objectName).
class TForm2 : public QMainWindow {
    Q_OBJECT
  public:
    TForm2(DeviceLink& link, Dialogs& dialogs, QString folder = SettingsFolder(),
           QWidget* parent = nullptr);
    ~TForm2() override;

    // A picture button of the main window: makes the slot current (its bitmap is loaded only
    // when the slot changes), then shows the editor or brings it up.
    void openForSlot(int slotCode);

    // The window the editor opens centred over.
    void setMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }
    // Puts a saved picture on the main window's button of the slot.
    void setGlyphHook(std::function<void(int slotCode, const QImage& image)> hook) {
        glyphHook_ = std::move(hook);
    }
    // The editor's signal to the main window: sets the main window's side of the port-warning
    // record (its hidden check box).
    void setMainWindowSignal(std::function<void()> signal) { mainSignal_ = std::move(signal); }
    // Where the send names its exchanges and tells its outcome; the note reads the link's
    // words for a failure from it.
    void setExchangeLog(ExchangeLog* log) { log_ = log; }
    // The tool strip's note on the last send; empty before the first one and after a slot change.
    QString sendResultText() const;

    // The editor's side of the port-warning record. The main window's read, write and input
    // tests set it whenever they set their own side.
    bool portWarningShown() const;
    void setPortWarningShown();

    const Picture& picture() const { return document_.picture(); }
    // The picture with its undo history, which the canvas edits too.
    PictureDocument& document() { return document_; }
    const Pen& pen() const { return pen_; }
    // The current slot, or nothing before the first opening.
    const PictureSlot* currentSlot() const { return current_; }
    QString folder() const { return folder_; }

    QPushButton* button(const QString& name) const;  // Button3 …, BitBtn1 … BitBtn11
    QLineEdit* edit(const QString& name) const;      // Edit1 … Edit3
    QComboBox* comboBox() const { return comboBox1_; }
    Memo* slotMemo() const { return memo1_; }
    QLabel* pictureView() const { return image2_; }

    // The current slot's name while the picture holds drawing its file does not, else empty.
    QString unsavedSlotName() const;
    // "Save to file" of the current slot; true when the file was written.
    bool saveToFile();
    // The files of these slots were just written by someone else (a bundle, the start
    // pictures, named by `source`): the current slot's picture is loaded anew from its file,
    // after a question when that would drop unsaved drawing.
    void slotFilesReplaced(const std::vector<int>& slotCodes, const QString& source);

    // The zoomed drawing window on this editor's picture, made at its first opening.
    void openCanvas();
    PictureCanvas* canvas() const { return canvas_; }

  public slots:
    // Pen colours.
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void BitBtn9Click();
    void BitBtn10Click();
    void BitBtn11Click();
    // Pen pad.
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void Button5Click();
    void Button5Enter();
    void Edit1Change();
    void Edit2Change();
    // Reset and presets.
    void Button3Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    // Slot and files.
    void Memo1Change();
    void ComboBox1Change();
    void Button17Click();
    void Button20Click();
    void Button4Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    void connectHandlers();
    QPushButton* addButton(QWidget* parent, const QString& name, int x, int y, int w, int h,
                           const QString& caption);

    void setPenColor(LedColor color);
    void penTextRule(QLineEdit* edit, int Pen::*coordinate);
    void movePen(void (Pen::*move)(), QLineEdit* edit, int Pen::*coordinate);
    void drawPoint();
    void setPicture(const Picture& picture, const QString& step);
    void showPicture();
    std::optional<Picture> loadSlotBitmap(const PictureSlot& slot);
    void penMoved();
    void placeOverMainWindow();
    // The note beside the Canvas button and in the canvas's status line: the last send or save.
    void showNote(const QString& text, const QString& tip, bool failed);
    void showSendResult(const PictureSlot& slot, const PictureSendResult& result);

    DeviceLink& link_;
    Dialogs& dialogs_;
    QString folder_;
    HandlerGuard guard_;

    PictureDocument document_;
    Pen pen_;
    const PictureSlot* current_ = nullptr;
    bool opened_ = false;

    QWidget* mainWindow_ = nullptr;
    std::function<void(int, const QImage&)> glyphHook_;
    std::function<void()> mainSignal_;
    ExchangeLog* log_ = nullptr;
    QLabel* sendResult_ = nullptr;

    QLabel* image2_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QLineEdit* edit2_ = nullptr;
    QLineEdit* edit3_ = nullptr;
    QComboBox* comboBox1_ = nullptr;
    Memo* memo1_ = nullptr;
    QCheckBox* checkBox2_ = nullptr;
    PictureCanvas* canvas_ = nullptr;
};

// How the two windows talk: the main window's picture buttons open the editor, a saved picture
// becomes a button's thumbnail, the editor's signal checks the main window's CheckBox1, and the
// main window's port warnings set the editor's side of the record.
void connectEditor(TForm1& form1, TForm2& form2);

}  // namespace blx52
