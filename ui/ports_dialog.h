#pragma once

#include <functional>
#include <memory>

#include <QDialog>
#include <QList>

#include "link/serial_port.h"
#include "sync/port_list.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace blx52 {

class DeviceFinder;

// "Ports…": the names COM1 … COM9 with where each leads and whether it opens, every port of the
// system, assigning and unassigning a name, and the search for the device. Choosing a name hands
// its index (0 for COM1) to `selectName`, which picks it in the window's port combo.
class PortsDialog : public QDialog {
    Q_OBJECT
  public:
    // Lists the system's ports, telling their states through the dialog's prober.
    using PortLister = std::function<QList<PortEntry>(PortProber&)>;

    PortsDialog(std::function<void(int)> selectName, QWidget* parent = nullptr,
                PortLister listPorts = {}, SerialPortFactory portFactory = makeSystemSerialPort);
    ~PortsDialog() override;

    // Marks the name row the window uses now (0 for COM1).
    void setCurrentName(int index);
    bool finding() const;

  public slots:
    // Lists the names and ports again; a port is opened only when its device is new.
    void refresh();
    // Opens every port again, for states that changed meanwhile (another program took a port).
    void checkAgain();
    void assignSelected();
    void unassignSelected();
    void useSelectedName();
    void findDevice();
    void useFound();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    int selectedName() const;  // 0 … 8, or -1
    QString selectedPort() const;
    void fillNames();
    void fillPorts();
    void askNextPort();
    void say(const QString& text);
    void fitResults();

    std::function<void(int)> selectName_;
    PortLister listPorts_;
    SerialPortFactory portFactory_;
    PortProber prober_;
    QList<PortEntry> ports_;
    std::unique_ptr<DeviceFinder> finder_;
    QTableWidget* names_ = nullptr;
    QTableWidget* portTable_ = nullptr;
    QPushButton* assign_ = nullptr;
    QPushButton* unassign_ = nullptr;
    QPushButton* use_ = nullptr;
    QPushButton* check_ = nullptr;
    QPushButton* find_ = nullptr;
    QPushButton* useFound_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QListWidget* results_ = nullptr;
    QLabel* message_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace blx52
