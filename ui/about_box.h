#pragma once

#include <QDialog>

namespace blx52 {

// "Info...": the program's title and version, its licence, the Qt it runs on, its address, and
// the folders it keeps pictures and port names in.
class AboutBox : public QDialog {
    Q_OBJECT
  public:
    AboutBox(const QString& pictureFolder, QWidget* parent = nullptr);
};

}  // namespace blx52
