#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace blx52 {

// The progress of "Send all pictures…": which slot goes out, and how many are done.
class TSendPicturesForm : public QDialog {
    Q_OBJECT
  public:
    TSendPicturesForm(int total, QWidget* parent);
    // Shows the count done and the slot that goes next, and lets the screen catch up.
    void showProgress(int done, const QString& next);

  private:
    QLabel* label_;
    QProgressBar* bar_;
};

}  // namespace blx52
