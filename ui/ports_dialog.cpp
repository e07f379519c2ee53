#include "ui/ports_dialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "link/port_map.h"
#include "sync/device_finder.h"
#include "ui/help_window.h"

namespace blx52 {

namespace {

QTableWidget* makeTable(QWidget* parent, const QString& name, const QStringList& headers) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void setCell(QTableWidget* table, int row, int column, const QString& text,
             const QString& tip = {}) {
    QTableWidgetItem* item = table->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        table->setItem(row, column, item);
    }
    if (item->text() != text)
        item->setText(text);
    item->setToolTip(tip);
}

QString stateCell(PortState state) {
    return portStateText(state);
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

PortsDialog::PortsDialog(std::function<void(int)> selectName, QWidget* parent, PortLister listPorts,
                         SerialPortFactory portFactory)
    : QDialog(parent),
      selectName_(std::move(selectName)),
      listPorts_(listPorts ? std::move(listPorts) : PortLister([](PortProber& prober) {
          return listSystemPorts(prober);
      })),
      portFactory_(std::move(portFactory)) {
    setObjectName(QStringLiteral("PortsDialog"));
    setWindowTitle(QStringLiteral("Ports"));
    resize(640, 600);
    installHelpKey(this, QStringLiteral("ports-and-finding-the-device"));
    auto* layout = new QVBoxLayout(this);

    layout->addWidget(new QLabel(QStringLiteral("Port names the window uses:"), this));
    names_ =
        makeTable(this, QStringLiteral("PortNames"),
                  {QStringLiteral("Name"), QStringLiteral("Leads to"), QStringLiteral("State")});
    names_->setRowCount(MappableNameCount);
    names_->setColumnWidth(0, 60);
    names_->setColumnWidth(1, 380);
    // All nine at once, without scrolling.
    names_->setFixedHeight(names_->horizontalHeader()->sizeHint().height() +
                           MappableNameCount * names_->verticalHeader()->defaultSectionSize() +
                           2 * names_->frameWidth());
    names_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(names_);
    auto* nameButtons = new QHBoxLayout;
    use_ = makeButton(this, QStringLiteral("UsePortName"), QStringLiteral("Use in the window"));
    unassign_ = makeButton(this, QStringLiteral("UnassignPort"), QStringLiteral("Unassign"));
    assign_ = makeButton(this, QStringLiteral("AssignPort"),
                         QStringLiteral("Assign the port below to this name"));
    use_->setToolTip(QStringLiteral("Chooses the marked name in the main window's port box"));
    unassign_->setToolTip(QStringLiteral("Lets the marked name open its own port again"));
    assign_->setToolTip(QStringLiteral("Makes the marked name open the port marked below"));
    nameButtons->addWidget(use_);
    nameButtons->addWidget(unassign_);
    nameButtons->addWidget(assign_);
    nameButtons->addStretch();
    check_ = makeButton(this, QStringLiteral("CheckPorts"), QStringLiteral("Check again"));
    check_->setToolTip(
        QStringLiteral("Open every port once more to see what changed (a port another "
                       "program took or let go). New ports are checked when they appear."));
    nameButtons->addWidget(check_);
    layout->addLayout(nameButtons);

    layout->addWidget(new QLabel(QStringLiteral("Ports of this computer:"), this));
    portTable_ = makeTable(this, QStringLiteral("SystemPorts"),
                           {QStringLiteral("Port"), QStringLiteral("Description"),
                            QStringLiteral("State"), QStringLiteral("Names")});
    portTable_->setColumnWidth(0, 170);
    portTable_->setColumnWidth(1, 220);
    portTable_->setColumnWidth(2, 100);
    // The computer's ports take the room; the results below only what they hold.
    layout->addWidget(portTable_, 1);

    auto* findRow = new QHBoxLayout;
    find_ = makeButton(this, QStringLiteral("FindDevice"), QStringLiteral("Find device"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("FindProgress"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    useFound_ = makeButton(this, QStringLiteral("UseFoundDevice"),
                           QStringLiteral("Map to the name above and use"));
    useFound_->setEnabled(false);
    find_->setToolTip(
        QStringLiteral("Asks each free port once for the device's firmware, nothing else"));
    useFound_->setToolTip(
        QStringLiteral("Maps the marked name to the found device and chooses it in the window"));
    findRow->addWidget(find_);
    findRow->addWidget(progress_, 1);
    findRow->addWidget(useFound_);
    layout->addLayout(findRow);
    results_ = new QListWidget(this);
    results_->setObjectName(QStringLiteral("FindResults"));
    results_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(results_->model(), &QAbstractItemModel::rowsInserted, this, &PortsDialog::fitResults);
    connect(results_->model(), &QAbstractItemModel::modelReset, this, &PortsDialog::fitResults);
    layout->addWidget(results_);
    fitResults();

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("PortsMessage"));
    message_->setWordWrap(true);
    layout->addWidget(message_);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Close, this);
    box->setObjectName(QStringLiteral("PortsButtons"));
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(assign_, &QPushButton::clicked, this, &PortsDialog::assignSelected);
    connect(unassign_, &QPushButton::clicked, this, &PortsDialog::unassignSelected);
    connect(use_, &QPushButton::clicked, this, &PortsDialog::useSelectedName);
    connect(check_, &QPushButton::clicked, this, &PortsDialog::checkAgain);
    connect(names_, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        names_->selectRow(row);
        useSelectedName();
    });
    // A double click on a port assigns it to the marked name.
    connect(portTable_, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        portTable_->selectRow(row);
        assignSelected();
    });
    connect(find_, &QPushButton::clicked, this, &PortsDialog::findDevice);
    connect(useFound_, &QPushButton::clicked, this, &PortsDialog::useFound);
    connect(results_, &QListWidget::itemSelectionChanged, this, [this] {
        const QListWidgetItem* item = results_->currentItem();
        useFound_->setEnabled(item != nullptr && !item->data(Qt::UserRole).toString().isEmpty() &&
                              item->isSelected());
    });

    // Plugging in an adapter shows at once.
    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &PortsDialog::refresh);
    names_->selectRow(0);
}

PortsDialog::~PortsDialog() {
    // The list empties its model as the children go, after this object is gone.
    disconnect(results_->model(), nullptr, this, nullptr);
}

void PortsDialog::setCurrentName(int index) {
    if (index >= 0 && index < MappableNameCount)
        names_->selectRow(index);
}

bool PortsDialog::finding() const {
    return finder_ != nullptr && !finder_->finished();
}

void PortsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Each opening shows what the ports are now.
    checkAgain();
    timer_->start();
}

void PortsDialog::hideEvent(QHideEvent* event) {
    timer_->stop();
    QDialog::hideEvent(event);
}

void PortsDialog::refresh() {
    // A probe during the search would find the asked port busy.
    if (finding())
        return;
    fillNames();
    fillPorts();
}

void PortsDialog::checkAgain() {
    if (finding())
        return;
    prober_.forget();
    refresh();
}

void PortsDialog::fillNames() {
    const QList<PortNameEntry> entries = listPortNames(prober_);
    for (int row = 0; row < entries.size() && row < MappableNameCount; ++row) {
        const PortNameEntry& e = entries[row];
        setCell(names_, row, 0, e.name);
        setCell(names_, row, 1,
                e.target.isEmpty() ? QStringLiteral("%1 (its own port)").arg(e.opens) : e.target);
        setCell(names_, row, 2, stateCell(e.state), e.stateDetail);
    }
}

void PortsDialog::fillPorts() {
    const QString selected = selectedPort();
    ports_ = listPorts_(prober_);
    portTable_->setRowCount(static_cast<int>(ports_.size()));
    for (int row = 0; row < ports_.size(); ++row) {
        const PortEntry& p = ports_[row];
        QStringList tip;
        for (const auto& [label, value] :
             {std::pair{"stable path", p.stablePath}, std::pair{"manufacturer", p.manufacturer},
              std::pair{"serial number", p.serialNumber}, std::pair{"USB VID:PID", p.vidPid}}) {
            if (!value.isEmpty())
                tip << QStringLiteral("%1: %2").arg(QLatin1String(label), value);
        }
        setCell(portTable_, row, 0, p.device, tip.join(u'\n'));
        // Without a description from the system, the stable name tells the adapter apart.
        setCell(portTable_, row, 1,
                p.description.isEmpty() ? QFileInfo(p.stablePath).fileName() : p.description,
                tip.join(u'\n'));
        setCell(portTable_, row, 2, stateCell(p.state), p.stateDetail);
        setCell(portTable_, row, 3, p.names.join(QStringLiteral(", ")));
        if (p.device == selected && !portTable_->item(row, 0)->isSelected())
            portTable_->selectRow(row);
    }
}

void PortsDialog::fitResults() {
    // One line when empty, at most six before it scrolls.
    const int rows = std::clamp(results_->count(), 1, 6);
    const int row =
        results_->count() > 0 ? results_->sizeHintForRow(0) : results_->fontMetrics().height() + 4;
    results_->setFixedHeight(rows * row + 2 * results_->frameWidth() + 2);
}

int PortsDialog::selectedName() const {
    const auto rows = names_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString PortsDialog::selectedPort() const {
    const auto rows = portTable_->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= ports_.size())
        return {};
    return ports_[rows.first().row()].device;
}

void PortsDialog::say(const QString& text) {
    message_->setText(text);
}

void PortsDialog::assignSelected() {
    const int name = selectedName();
    const QString port = selectedPort();
    if (name < 0 || port.isEmpty()) {
        say(QStringLiteral("Mark a name above and a port below."));
        return;
    }
    std::string error;
    const QString comName = QStringLiteral("COM%1").arg(name + 1);
    if (!assignPort(name + 1, port.toStdString(), error)) {
        say(QStringLiteral("%1 was not assigned: %2").arg(comName, QString::fromStdString(error)));
    } else {
        say(QStringLiteral("%1 now opens %2.").arg(comName, port));
    }
    refresh();
}

void PortsDialog::unassignSelected() {
    const int name = selectedName();
    if (name < 0) {
        say(QStringLiteral("Mark a name above."));
        return;
    }
    std::string error;
    const QString comName = QStringLiteral("COM%1").arg(name + 1);
    if (!unassignPort(name + 1, error)) {
        say(QStringLiteral("%1 was left as it is: %2").arg(comName, QString::fromStdString(error)));
    } else {
        say(QStringLiteral("%1 opens its own port again.").arg(comName));
    }
    refresh();
}

void PortsDialog::useSelectedName() {
    const int name = selectedName();
    if (name < 0) {
        say(QStringLiteral("Mark a name above."));
        return;
    }
    if (selectName_)
        selectName_(name);
    say(QStringLiteral("The window uses COM%1.").arg(name + 1));
}

void PortsDialog::findDevice() {
    if (finding())
        return;
    finder_ = std::make_unique<DeviceFinder>(portFactory_);
    // The search goes by what each port is now: one busy since the last look is not asked.
    prober_.forget();
    fillNames();
    fillPorts();
    finder_->plan(ports_);
    results_->clear();
    useFound_->setEnabled(false);
    QStringList asking;
    for (const auto& c : finder_->candidates()) {
        if (c.outcome != DeviceFinder::Outcome::NotAsked)
            asking << c.port.device;
    }
    results_->addItem(asking.isEmpty() ? QStringLiteral("No free port to ask.")
                                       : QStringLiteral("Asking, one after another: %1")
                                             .arg(asking.join(QStringLiteral(", "))));
    for (const auto& c : finder_->candidates()) {
        if (c.outcome == DeviceFinder::Outcome::NotAsked)
            results_->addItem(DeviceFinder::describe(c));
    }
    progress_->setRange(0, std::max(1, finder_->toAsk()));
    progress_->setValue(0);
    find_->setEnabled(false);
    QTimer::singleShot(0, this, &PortsDialog::askNextPort);
}

// One port per turn of the event loop, so the dialog repaints and shows the progress between.
void PortsDialog::askNextPort() {
    if (finder_ == nullptr)
        return;
    const int index = finder_->askNext();
    if (index >= 0) {
        const auto& c = finder_->candidates()[index];
        auto* item = new QListWidgetItem(DeviceFinder::describe(c), results_);
        if (c.outcome == DeviceFinder::Outcome::Answered)
            item->setData(Qt::UserRole, c.port.device);
        else
            item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
        progress_->setValue(finder_->asked());
    }
    if (!finder_->finished()) {
        QTimer::singleShot(0, this, &PortsDialog::askNextPort);
        return;
    }
    const auto found = finder_->answered();
    results_->addItem(
        found.isEmpty()
            ? QStringLiteral("No device answered.")
            : QStringLiteral("%1 device(s) answered: mark one and use it.").arg(found.size()));
    find_->setEnabled(true);
    progress_->setValue(progress_->maximum());
    refresh();
}

void PortsDialog::useFound() {
    const QListWidgetItem* item = results_->currentItem();
    const QString port = item != nullptr ? item->data(Qt::UserRole).toString() : QString();
    if (port.isEmpty())
        return;
    // A name that leads there already is used as it is; else the marked name is assigned.
    int name = -1;
    for (const PortEntry& p : ports_) {
        if (p.device == port && !p.names.isEmpty())
            name = mappableNumber(p.names.first().toStdString()) - 1;
    }
    if (name < 0) {
        name = selectedName();
        if (name < 0) {
            say(QStringLiteral("Mark a name above."));
            return;
        }
        std::string error;
        if (!assignPort(name + 1, port.toStdString(), error)) {
            say(QStringLiteral("COM%1 was not assigned: %2")
                    .arg(name + 1)
                    .arg(QString::fromStdString(error)));
            return;
        }
    }
    const QString comName = QStringLiteral("COM%1").arg(name + 1);
    refresh();
    names_->selectRow(name);
    if (selectName_)
        selectName_(name);
    say(QStringLiteral("The window uses %1, which opens %2.").arg(comName, port));
}

}  // namespace blx52
