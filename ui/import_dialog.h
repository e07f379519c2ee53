#pragma once

#include <QDialog>
#include <QImage>

#include "picture/picture.h"
#include "picture/picture_import.h"

class QLabel;
class QRadioButton;

namespace blx52 {

// The preview of an import: fit and colour choices, the 32 × 32 result beside the original.
class ImportDialog : public QDialog {
    Q_OBJECT
  public:
    ImportDialog(const QImage& image, ImportOptions options, const QString& what,
                 QWidget* parent = nullptr);

    ImportOptions options() const;
    const Picture& result() const { return result_; }

  private:
    void updatePreview();

    QImage image_;
    Picture result_;
    QLabel* preview_ = nullptr;
    QRadioButton* letterbox_ = nullptr;
    QRadioButton* crop_ = nullptr;
    QRadioButton* nearest_ = nullptr;
    QRadioButton* dither_ = nullptr;
};

}  // namespace blx52
