#include "ui/help_window.h"

#include <QPointer>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QTextImageFormat>

namespace blx52 {

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("BLX52 Glowpanel - Manual"));
    setOpenExternalLinks(true);
    document()->setDocumentMargin(16);
    resize(860, 760);
    setSource(manualUrl(), QTextDocument::MarkdownResource);
}

QUrl HelpWindow::manualUrl() {
    return QUrl(QStringLiteral("qrc:/blx52/manual/manual.md"));
}

QString HelpWindow::anchorOf(const QString& heading) {
    QString anchor;
    for (const QChar c : heading.toLower()) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            anchor += c;
        else if (c == u' ')
            anchor += u'-';
    }
    return anchor;
}

void HelpWindow::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    const bool sameDocument =
        name.adjusted(QUrl::RemoveFragment) == source().adjusted(QUrl::RemoveFragment);
    if (sameDocument) {
        QTextBrowser::doSetSource(name, type);
        return;
    }
    // Markdown gives its headings no anchors; they are named once the text is in, and only
    // then can a chapter be scrolled to.
    QTextBrowser::doSetSource(name.adjusted(QUrl::RemoveFragment), type);
    nameHeadings();
    fitImages();
    if (name.hasFragment())
        scrollToAnchor(name.fragment());
}

void HelpWindow::nameHeadings() {
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0)
            continue;
        QTextCursor cursor(block);
        cursor.select(QTextCursor::BlockUnderCursor);
        if (block.length() > 1) {
            cursor.setPosition(block.position());
            cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        }
        QTextCharFormat format;
        format.setAnchor(true);
        format.setAnchorNames({anchorOf(block.text())});
        cursor.mergeCharFormat(format);
    }
}

void HelpWindow::fitImages() {
    // The screenshots are of whole windows; shown at most this wide they need no sideways
    // scrolling in the window's own size.
    constexpr int MostWidth = 780;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QVariant data = loadResource(QTextDocument::ImageResource, QUrl(format.name()));
            QImage image = data.value<QImage>();
            if (image.isNull())
                image = QImage::fromData(data.toByteArray());
            if (image.isNull() || image.width() <= MostWidth)
                continue;
            format.setWidth(MostWidth);
            format.setHeight(image.height() * MostWidth / image.width());
            QTextCursor cursor(document());
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

void HelpWindow::showChapter(const QString& anchor) {
    chapter_ = anchor;
    if (anchor.isEmpty()) {
        verticalScrollBar()->setValue(0);
        return;
    }
    scrollToAnchor(anchor);
}

HelpWindow* showHelp(QWidget* from, const QString& anchor) {
    static QPointer<HelpWindow> help;
    if (!help) {
        // A window of the asking window's top window, so that it goes with the program.
        QWidget* owner = from ? from->window() : nullptr;
        while (owner && owner->parentWidget())
            owner = owner->parentWidget()->window();
        help = new HelpWindow(owner);
    }
    if (!help->isVisible())
        help->show();
    help->showChapter(anchor);
    help->raise();
    help->activateWindow();
    return help;
}

void installHelpKey(QWidget* window, const QString& anchor) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setObjectName(QStringLiteral("HelpKey"));
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window,
                     [window, anchor] { showHelp(window, anchor); });
}

}  // namespace blx52
