#include "ui/import_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>

namespace blx52 {

namespace {

constexpr int PreviewScale = 6;

QRadioButton* choice(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QRadioButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

}  // namespace

ImportDialog::ImportDialog(const QImage& image, ImportOptions options, const QString& what,
                           QWidget* parent)
    : QDialog(parent), image_(image) {
    setObjectName(QStringLiteral("CanvasImportDialog"));
    setWindowTitle(QStringLiteral("Import image"));
    auto* layout = new QGridLayout(this);

    auto* source = new QLabel(this);
    source->setObjectName(QStringLiteral("ImportSource"));
    source->setPixmap(QPixmap::fromImage(image.scaled(
        32 * PreviewScale, 32 * PreviewScale, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    source->setAlignment(Qt::AlignCenter);
    source->setMinimumSize(32 * PreviewScale, 32 * PreviewScale);
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("ImportPreview"));
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setMinimumSize(32 * PreviewScale, 32 * PreviewScale);
    layout->addWidget(
        new QLabel(QStringLiteral("%1 (%2 × %3)").arg(what).arg(image.width()).arg(image.height()),
                   this),
        0, 0);
    layout->addWidget(new QLabel(QStringLiteral("On the device (32 × 32)"), this), 0, 1);
    layout->addWidget(source, 1, 0);
    layout->addWidget(preview_, 1, 1);

    auto* fit = new QGroupBox(QStringLiteral("Size"), this);
    auto* fitLayout = new QVBoxLayout(fit);
    letterbox_ = choice(fit, "ImportLetterbox", QStringLiteral("Whole image, black bars"));
    crop_ = choice(fit, "ImportCrop", QStringLiteral("Crop to a square"));
    fitLayout->addWidget(letterbox_);
    fitLayout->addWidget(crop_);
    auto* colors = new QGroupBox(QStringLiteral("Colours"), this);
    auto* colorLayout = new QVBoxLayout(colors);
    nearest_ = choice(colors, "ImportNearest", QStringLiteral("Nearest colour"));
    dither_ = choice(colors, "ImportDither", QStringLiteral("Dithering (Floyd-Steinberg)"));
    colorLayout->addWidget(nearest_);
    colorLayout->addWidget(dither_);
    layout->addWidget(fit, 2, 0);
    layout->addWidget(colors, 2, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("ImportButtons"));
    layout->addWidget(buttons, 3, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    (options.fit == ImportFit::Crop ? crop_ : letterbox_)->setChecked(true);
    (options.colors == ImportColors::Nearest ? nearest_ : dither_)->setChecked(true);
    for (QRadioButton* b : {letterbox_, crop_, nearest_, dither_})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                updatePreview();
        });
    updatePreview();
}

ImportOptions ImportDialog::options() const {
    return {crop_->isChecked() ? ImportFit::Crop : ImportFit::Letterbox,
            nearest_->isChecked() ? ImportColors::Nearest : ImportColors::FloydSteinberg};
}

void ImportDialog::updatePreview() {
    result_ = importImage(image_, options());
    preview_->setPixmap(QPixmap::fromImage(exportImage(result_, PreviewScale)));
}

}  // namespace blx52
