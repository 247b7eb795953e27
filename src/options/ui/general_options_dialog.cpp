#include "options/ui/general_options_dialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "modem/modem_port.h"
#include "options/option_defaults.h"
#include "options/options_record.h"
#include "options/ui/port_setup_dialog.h"

namespace mivex::options {

GeneralOptionsDialog::GeneralOptionsDialog(StoreOptions& options, const DialogChrome& chrome,
                                           std::function<void()> contactsChanged,
                                           const PortRoots& ports, QWidget* owner)
    : OptionDialog(chrome, owner, QStringLiteral(":/artwork/title-general-options.svg"),
                   QStringLiteral("General Options"), Help::Answered),
      options_(options),
      contactsChanged_(std::move(contactsChanged)),
      nameOrder_(new QComboBox(this)),
      showAllContactNumbers_(NewCheckBox(QStringLiteral("Show all contact numbers"), this)),
      removeNumberTag_(NewCheckBox(QStringLiteral("Remove (x) from contact numbers"), this)),
      soundsOff_(NewCheckBox(QStringLiteral("Turn off sounds"), this)),
      receiveAsTheyArrive_(
          NewCheckBox(QStringLiteral("Receive new messages as they arrive"), this)),
      port_(new QComboBox(this)),
      setup_(new QPushButton(QStringLiteral("Setup"), this)) {
    setObjectName(QStringLiteral("GeneralOptionsDialog"));
    nameOrder_->setAccessibleName(QStringLiteral("Contact name order"));
    setup_->setAccessibleName(QStringLiteral("Setup"));
    setup_->setAutoDefault(false);

    // Any device path can be typed, such as a udev symlink or the simulated
    // phone's pseudo-terminal. Suggestions pop up below rather than being
    // completed in place, so typing "/dev/ttyS1" never turns into a listed
    // "/dev/ttyS10"; paths are case-sensitive, so the suggestions are too.
    port_->setEditable(true);
    port_->setInsertPolicy(QComboBox::NoInsert);
    port_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    port_->completer()->setCaseSensitivity(Qt::CaseSensitive);
    port_->lineEdit()->setMaxLength(static_cast<int>(kMaxOptionChars));
    port_->setAccessibleName(QStringLiteral("Communications Port"));
    port_->lineEdit()->setAccessibleName(QStringLiteral("Communications Port"));
    port_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    port_->setMinimumContentsLength(12);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Contact name order"), nameOrder_);
    Body().addLayout(form);
    for (QCheckBox* box :
         {showAllContactNumbers_, removeNumberTag_, soundsOff_, receiveAsTheyArrive_})
        Body().addWidget(box);
    auto* portLabel = new QLabel(QStringLiteral("Communications Port"), this);
    portLabel->setBuddy(port_);
    Body().addSpacing(8);
    Body().addWidget(portLabel);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(port_, 1);
    portRow->addWidget(setup_);
    Body().addLayout(portRow);

    connect(setup_, &QPushButton::clicked, this, [this] { RunPortSetup(); });
    Load(ports);
    FinishDress();
}

void GeneralOptionsDialog::Load(const PortRoots& ports) {
    nameOrder_->addItems({QStringLiteral("First then Last"), QStringLiteral("Last then First")});
    // The contact lists read anything but 1 as first name first.
    nameOrder_->setCurrentIndex(ReadInteger(options_, Option::NameOrder) == 1 ? 1 : 0);

    showAllContactNumbers_->setChecked(ReadInteger(options_, Option::ShowAllContactNumbers) != 0);
    removeNumberTag_->setChecked(ReadInteger(options_, Option::RemoveNumberTag) != 0);
    soundsOff_->setChecked(ReadInteger(options_, Option::SoundsOff) != 0);
    receiveAsTheyArrive_->setChecked(ReceivesAsTheyArrive(options_));

    // ModemManager is asked once: its modems are offered, and the serial
    // ports they hold are marked.
    const std::vector<platform::ManagedModem> modems = ports.modems != nullptr
                                                           ? ports.modems->ListModems()
                                                           : std::vector<platform::ManagedModem>{};
    std::vector<std::u16string> entries = modem::MergeModemPorts(ListPorts(ports), modems);
    std::u16string stored;
    (void)options_.ReadOption(Option::Port, stored);
    const std::size_t selected = OfferStoredPort(entries, stored);
    MarkHeldPorts(entries, modems);
    for (const std::u16string& entry : entries)
        port_->addItem(QString::fromStdU16String(entry));
    port_->setCurrentIndex(static_cast<int>(selected));
    // The device part leads; a long maker and model is cut at its end.
    port_->lineEdit()->setCursorPosition(0);
    // The drop-down shows whole makers and models even where the box is
    // narrower than they are.
    port_->view()->setMinimumWidth(port_->view()->sizeHintForColumn(0) +
                                   port_->view()->verticalScrollBar()->sizeHint().width());
}

void GeneralOptionsDialog::RunPortSetup() {
    PortSetupDialog setup(options_, Chrome(), this);
    setup.exec();
}

void GeneralOptionsDialog::accept() {
    OptionWrites writes(options_);
    writes.Write(Option::NameOrder, std::max(0, nameOrder_->currentIndex()));
    writes.Write(Option::ShowAllContactNumbers, showAllContactNumbers_->isChecked() ? 1 : 0);
    writes.Write(Option::RemoveNumberTag, removeNumberTag_->isChecked() ? 1 : 0);
    writes.Write(Option::SoundsOff, soundsOff_->isChecked() ? 1 : 0);
    writes.Write(Option::ReceiveAsTheyArrive, receiveAsTheyArrive_->isChecked() ? 1 : 0);
    writes.Write(Option::Port,
                 QString::fromStdU16String(WithoutHeldMark(port_->currentText().toStdU16String()))
                     .trimmed());
    if (CloseWhenStored(writes) && contactsChanged_)
        contactsChanged_();
}

}  // namespace mivex::options
