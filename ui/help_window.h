#pragma once

#include <QString>
#include <QTextBrowser>
#include <QUrl>

namespace blx52 {

// The manual (docs/manual.md and its screenshots, compiled in) in a browser of its own. Each
// heading is an anchor named as GitHub names it ("The canvas" is "the-canvas"), so the same
// links work in the help window and in the repository.
class HelpWindow : public QTextBrowser {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    static QUrl manualUrl();
    // The anchor of a heading's text.
    static QString anchorOf(const QString& heading);

    // Scrolls to the chapter of that anchor; the start of the manual when there is none.
    void showChapter(const QString& anchor);
    QString chapter() const { return chapter_; }

  protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

  private:
    void nameHeadings();
    void fitImages();

    QString chapter_;
};

// Opens the one help window at `anchor`, made on first use as a window of `from`'s top window.
HelpWindow* showHelp(QWidget* from, const QString& anchor);
// F1 in `window` opens the help window at `anchor`.
void installHelpKey(QWidget* window, const QString& anchor);

}  // namespace blx52
