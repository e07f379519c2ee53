#pragma once

#include <QApplication>

namespace blx52 {

// The wait cursor while an exchange runs; the cursor that was current before comes back also
// when the work ends early.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace blx52
