#pragma once

#include <QDialog>
#include <functional>

#include "sync/device_compare.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace blx52 {

// Shows a comparison of the window with the device: one row per setting that differs, and
// "Take device values", which hands the device's values to `take`. Closing changes nothing.
class CompareDialog final : public QDialog {
    Q_OBJECT
  public:
    CompareDialog(DeviceComparison comparison, std::function<void(const DeviceComparison&)> take,
                  QWidget* owner);

    const DeviceComparison& comparison() const { return comparison_; }
    QTableWidget* table() const { return table_; }
    QString summary() const;

  private:
    DeviceComparison comparison_;
    std::function<void(const DeviceComparison&)> take_;
    QLabel* summary_;
    QTableWidget* table_;
};

}  // namespace blx52
