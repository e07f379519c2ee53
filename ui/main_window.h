#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include "link/device_link.h"
#include "settings/settings_table.h"
#include "sync/device_compare.h"
#include "sync/exchange_log.h"
#include "sync/profile.h"
#include "ui/about_box.h"
#include "ui/change_events.h"
#include "ui/dialogs.h"
#include "ui/handler_guard.h"

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;

namespace blx52 {

class CompareDialog;
class DeviceSync;
class ExchangeLogWindow;
class PortsDialog;
class PreviewWindow;
class PictureDocument;
class Picture;
class Form1SyncView;
class SyncView;

// The main window: every setting in its own control, the connection panel, brightness, status
// bar. Controls are found by their designer names (objectName), also with findChild.
class TForm1 : public QMainWindow, public StatusSink {
    Q_OBJECT
  public:
    static constexpr int PanelCount = 7;

    // Whole: every control and rule at once. ShownPartFirst, as the program starts: what the
    // window shows, and its hidden controls and their rules only with buildHiddenPart(), once
    // the window is on the screen; nothing may use them before.
    enum class Build { Whole, ShownPartFirst };

    TForm1(DeviceLink& link, Dialogs& dialogs, QWidget* parent = nullptr);
    TForm1(DeviceLink& link, Dialogs& dialogs, Build build, QWidget* parent = nullptr);
    ~TForm1() override;
    // The hidden controls (landing memos, triggers, CheckBox1 and CheckBox2) and their rules,
    // after a ShownPartFirst build; once.
    void buildHiddenPart();

    DeviceLink& link() { return link_; }
    Dialogs& dialogs() { return dialogs_; }
    HandlerGuard& guard() { return guard_; }

    // Status bar panels, counted from 0. Texts from the link are UTF-8.
    void setPanelText(int panel, const std::string& text) override;
    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;

    // Controls by designer name; nullptr when there is none of that kind.
    QLineEdit* edit(const QString& name) const;
    Memo* memo(const QString& name) const;
    QComboBox* comboBox(const QString& name) const;
    QRadioButton* radioButton(const QString& name) const;
    QPushButton* button(const QString& name) const;  // Button1 … Button8, BitBtn1 … BitBtn25
    QCheckBox* checkBox(const QString& name) const;
    QSlider* trackBar() const { return trackBar_; }
    QProgressBar* progressBar() const { return progressBar_; }
    PortsDialog* portsDialog() const { return portsDialog_; }  // null until Ports… was chosen
    AboutBox* aboutBox() const { return about_; }              // while Info… shows it

    // Text of an edit or memo.
    QString controlText(const QString& name) const;
    // Sets an edit's or memo's text as the program does: its change rule runs when the text
    // changes. For landing memos use storeLanding().
    void setControlText(const QString& name, const QString& text);
    // A read value for a landing memo: the memo's reaction runs on every store.
    void storeLanding(const QString& memo, const QString& text);
    // Puts a value read from the device into its target (edit or landing memo) as if entered
    // there; an error of the target's rule is thrown on to the caller, ending the read.
    void storeReply(const QString& target, const QString& text);

    int selectedIndex(const QString& comboBox) const;  // -1 when nothing is selected
    // The value of a radio group (volume or standby): index of the checked button, or -1.
    int checkedButton(const Setting& group) const;
    int trackBarPosition() const;

    void setStrip(const QString& memo, const QColor& color);
    QColor stripColor(const QString& memo) const;
    void setProgress(int position);
    int progress() const;

    bool settingsChanged() const { return settingsChanged_; }
    void setSettingsChanged(bool changed) { settingsChanged_ = changed; }
    // SettingsChanged set and the Write strip blue.
    void markUnwrittenChanges();

    // Colours of the strips.
    static QColor clMenu();
    QColor clBtnFace() const { return buttonFace_; }
    static QColor clRed() { return {255, 0, 0}; }
    static QColor clLime() { return {0, 255, 0}; }
    static QColor clBlue() { return {0, 0, 255}; }
    static QColor clFuchsia() { return {255, 0, 255}; }

    // The character check of number fields: the error sound and one message when it fails.
    bool CheckNumberText(const QString& text);
    // Recomputes an input section's sound time from its tone durations and repeats.
    void UpdateSoundTime(Section section);

    // PortWarningShown. The main window's side is consulted by the input tests; setting it
    // through the read, the write or an input test also sets the picture editor's side through
    // the hook.
    bool portWarningShown() const { return portWarningShown_; }
    void setPortWarningShown();
    void setEditorPortWarningHook(std::function<void()> setEditorSide) {
        setEditorSide_ = std::move(setEditorSide);
    }

    // The read, the write and the input tests behind the connection panel's buttons.
    DeviceSync& deviceSync() { return *sync_; }

    // Device menu (main_window_device.cpp). Every exchange of the link is recorded in the log.
    ExchangeLog& exchangeLog() { return log_; }
    // The log window once it was opened, the compare dialog while one is open.
    ExchangeLogWindow* exchangeLogWindow() const;
    CompareDialog* compareDialog() const;
    bool verifyAfterWrite() const;
    // Reads the device into a store of its own and shows how it differs from the window.
    void compareWithDevice();

    // A picture button was clicked: hands its slot to the picture editor.
    virtual void openPictureEditor(int slotCode);
    void setPictureEditorOpener(std::function<void(int slotCode)> open) {
        openEditor_ = std::move(open);
    }
    // What the picture editor would lose at a quit: the slot of its unsaved drawing (empty for
    // none), and its "Save to file" (true when written).
    struct EditorWork {
        std::function<QString()> unsavedSlot;
        std::function<bool()> save;
    };
    void setEditorWork(EditorWork work) { editorWork_ = std::move(work); }
    // Told the slots whose bitmap files the window just wrote (bundle, start pictures) and
    // where they came from, so the editor does not hold an old picture of one.
    using FilesReplaced = std::function<void(const std::vector<int>& slotCodes, const QString&)>;
    void setFilesReplacedHook(FilesReplaced hook) { filesReplaced_ = std::move(hook); }

    // Replaces the picture on the slot's button (after the editor saved it).
    void setButtonGlyph(int slotCode, const QImage& image);
    QImage buttonGlyph(int slotCode) const;
    // At program start: each button shows its slot's bitmap from the picture folder where that
    // loads, and keeps its built-in glyph otherwise.
    void showPictureFolderGlyphs();

    // Settings files of the File menu. The chooser asks for a file name (save: true for "Save
    // settings as…"); an empty name cancels. The default shows the toolkit's file dialog.
    using FileNameChooser = std::function<QString(bool save)>;
    void setFileNameChooser(FileNameChooser chooser) { chooseFile_ = std::move(chooser); }
    // Loads every value of a profile into its control as a read would; nothing changes and one
    // error box lists the problems when the file is unusable. True when loaded.
    bool openSettingsFile(const QString& path);
    // Writes what a write would send as a profile, atomically. A value the write would refuse
    // is refused the same way and no file is written. True when written.
    bool saveSettingsFile(const QString& path);
    // A bundle holds the picture folder's 25 pictures too (after a question in the menu's
    // save); opening one asks once, naming the slots, and saves its pictures into the folder.
    bool saveSettingsFile(const QString& path, bool withPictures);
    // Where "Create picture folder…" copies the start pictures from and to; by default the
    // ones beside the program and the user's picture folder.
    void setPictureFolders(const QString& startPictures, const QString& pictureFolder);
    // The picture folder alone (bundles, "Send all pictures…"); pictureFolder() is the folder
    // in use.
    void setPictureFolder(const QString& folder) { pictureFolder_ = folder; }
    QString pictureFolder() const;

    // Device → "Preview…" (main_window_preview.cpp): made at its first opening, then kept and
    // kept live. The editor's picture, unsaved drawing included, shows for the editor's slot.
    PreviewWindow* previewWindow() const;
    void setEditorPicture(PictureDocument* document,
                          std::function<std::optional<Picture>(int slotCode)> picture);
    // The preview's clock in ms (tests advance it by hand); by default the window keeps time.
    void setPreviewClock(std::function<std::int64_t()> clock) { previewClock_ = std::move(clock); }

  public slots:
    void Preview1Click();
    // Device menu.
    void ExchangeLog1Click();
    void CompareWithDevice1Click();
    // File menu.
    void Help1Click();
    void Info1Click();
    void OpenSettings1Click();
    void SaveSettingsAs1Click();
    void CreatePictureFolder1Click();
    // Device menu.
    void Ports1Click();
    void SendAllPictures1Click();
    // Connection panel.
    void Button1Click();
    void Button2Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Memo42Change();
    void Memo43Change();
    void CheckBox1Click();
    void ComboBox13Change();
    // Brightness.
    void TrackBar1Change();
    void Memo35Change();
    // The change rule of a duration or repeats edit, and the handler the in0 picture 0 edit has
    // by name.
    void EditChange(const QString& editName);
    void Edit19Change() { EditChange(QStringLiteral("Edit19")); }

  protected:
    // Asks before a quit would lose unwritten settings or unsaved drawing.
    void closeEvent(QCloseEvent* event) override;

  private:
    template <class W>
    W* control(const QString& name) const;
    template <class W>
    W* add(QWidget* parent, const QString& name, int x, int y, int w, int h);

    void buildWindow();
    void setTabChain();
    void buildSections(QWidget* central);
    void buildConnectionPanel(QWidget* central);
    void buildBrightness(QWidget* central);
    void buildHiddenControls(QWidget* central);
    void buildStatusBar();
    void buildDeviceMenu(QMenu* device);
    void showComparison(DeviceComparison comparison, const QString& title);
    void takeDeviceValues(const DeviceComparison& comparison);
    void verifyWrite();
    const SyncView& syncView() const;
    void connectRules();
    void connectHiddenRules();

    void editRule(const Setting& setting);
    void landingReaction(const Setting& setting);
    void setMainPortWarning();
    bool askBeforeReplacingPictures(const ParsedProfile& parsed);
    void storeBundlePictures(const ParsedProfile& parsed);
    bool bundlePictures(std::vector<ProfilePicture>& pictures);
    bool askToIncludePictures();
    void announceReplacedFiles(const std::vector<int>& slotCodes, const QString& source);
    bool saveSettingsAs();
    bool mayQuit();

    DeviceLink& link_;
    Dialogs& dialogs_;
    Build build_ = Build::Whole;
    bool hiddenBuilt_ = false;
    HandlerGuard guard_;
    QHash<QString, QWidget*> controls_;
    QLabel* panels_[PanelCount] = {};
    QSlider* trackBar_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QElapsedTimer progressPainted_;  // the bar's last immediate paint
    QColor buttonFace_;
    bool settingsChanged_ = false;
    std::function<void(int)> openEditor_;
    EditorWork editorWork_;
    FilesReplaced filesReplaced_;
    bool portWarningShown_ = false;
    std::function<void()> setEditorSide_;
    FileNameChooser chooseFile_;
    ExchangeLog log_;
    QPointer<ExchangeLogWindow> logWindow_;
    QPointer<CompareDialog> compare_;
    QString startPictures_;  // empty: beside the program
    QString pictureFolder_;  // empty: SettingsFolder()
    std::unique_ptr<Form1SyncView> syncView_;
    std::unique_ptr<DeviceSync> sync_;    // uses syncView_, so it goes first
    PortsDialog* portsDialog_ = nullptr;  // made on first use, owned as a child
    QPointer<AboutBox> about_;
    QPointer<PreviewWindow> preview_;
    QPointer<PictureDocument> editorDocument_;
    std::function<std::optional<Picture>(int)> editorPicture_;
    std::function<std::int64_t()> previewClock_;
};

}  // namespace blx52
