#include "ui/about_box.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "blx52_version.h"
#include "link/port_map.h"
#include "ui/built_in_pictures.h"

namespace blx52 {

AboutBox::AboutBox(const QString& pictureFolder, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info"));
    auto* layout = new QVBoxLayout(this);

    auto* title = new QLabel(this);
    title->setObjectName(QStringLiteral("AboutTitle"));
    title->setText(QStringLiteral("<h2>BLX52 Glowpanel Configurator</h2>Version %1")
                       .arg(QStringLiteral(BLX52_VERSION)));
    auto* icon = new QLabel(this);
    icon->setPixmap(programIcon().pixmap(32, 32));
    auto* head = new QHBoxLayout;
    head->addWidget(icon, 0, Qt::AlignTop);
    head->addWidget(title, 1);
    layout->addLayout(head);

    const QString ports = QString::fromStdString(portMapPlace());
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("AboutText"));
    text->setTextFormat(Qt::RichText);
    text->setOpenExternalLinks(true);
    text->setTextInteractionFlags(Qt::TextBrowserInteraction);
    text->setText(
        QStringLiteral(
            "<p>Sees, edits, reads and writes every setting of the BLX52 Glowpanel and draws, "
            "stores and sends its 25 pictures.</p>"
            "<p>Free software under the GNU General Public License, version 3 or later; it "
            "comes with no warranty.</p>"
            "<p>Qt %1 (built with %2)</p>"
            "<p><a href=\"%3\">%3</a></p>"
            "<table>"
            "<tr><td>Picture folder:&nbsp;</td><td>%4</td></tr>"
            "<tr><td>Port names:&nbsp;</td><td>%5</td></tr>"
            "</table>")
            .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR),
                 QStringLiteral(BLX52_HOMEPAGE),
                 QDir::toNativeSeparators(pictureFolder).toHtmlEscaped(),
                 QDir::toNativeSeparators(ports).toHtmlEscaped()));
    layout->addWidget(text);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace blx52
