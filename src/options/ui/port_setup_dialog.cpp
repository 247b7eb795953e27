#include "options/ui/port_setup_dialog.h"

#include <QFormLayout>
#include <QGuiApplication>
#include <QInputMethod>
#include <QVBoxLayout>
#include <array>

#include "options/option_defaults.h"
#include "options/options_record.h"

namespace mivex::options {

namespace {

QComboBox* NewList(const QString& name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setAccessibleName(name);
    return list;
}

// Selects the item holding `value`, adding it first (in ascending place)
// when the list has none: settings made elsewhere, such as 230400 bits per
// second or software flow control, are shown and kept by OK rather than
// silently replaced.
void SelectValue(QComboBox& list, std::int32_t value, const QString& text) {
    int index = list.findData(value);
    if (index < 0) {
        index = 0;
        while (index < list.count() && list.itemData(index).toInt() < value)
            ++index;
        list.insertItem(index, text, value);
    }
    list.setCurrentIndex(index);
}

std::int32_t SelectedValue(const QComboBox& list, std::int32_t fallback) {
    return list.currentIndex() < 0 ? fallback : list.currentData().toInt();
}

}  // namespace

PortSetupDialog::PortSetupDialog(StoreOptions& options, const DialogChrome& chrome, QWidget* owner)
    : OptionDialog(chrome, owner, QStringLiteral(":/artwork/title-port-setup.svg"),
                   QStringLiteral("Port Setup"), Help::Ignored),
      options_(options),
      baudRate_(NewList(QStringLiteral("Baud rate"), this)),
      dataBits_(NewList(QStringLiteral("Data bits"), this)),
      stopBits_(NewList(QStringLiteral("Stop bits"), this)),
      flowControl_(NewList(QStringLiteral("Flow control"), this)),
      defaults_(Buttons().addButton(QStringLiteral("Defaults"), QDialogButtonBox::ResetRole)) {
    setObjectName(QStringLiteral("PortSetupDialog"));
    defaults_->setAccessibleName(QStringLiteral("Defaults"));

    auto* form = new QFormLayout;
    for (QComboBox* list : {baudRate_, dataBits_, stopBits_, flowControl_})
        form->addRow(list->accessibleName(), list);
    Body().addLayout(form);

    for (const std::int32_t speed : kOfferedBaudRates)
        baudRate_->addItem(QString::number(speed), speed);
    // 8 comes first: nearly every phone wants it.
    dataBits_->addItem(QStringLiteral("8"), 8);
    dataBits_->addItem(QStringLiteral("7"), 7);
    stopBits_->addItem(QStringLiteral("1"), kOneStopBit);
    stopBits_->addItem(QStringLiteral("1.5"), 1);
    stopBits_->addItem(QStringLiteral("2"), 2);
    flowControl_->addItem(QStringLiteral("None"), kNoFlowControl);
    flowControl_->addItem(QStringLiteral("Hardware"), kHardwareFlowControl);

    connect(defaults_, &QPushButton::clicked, this, [this] { SelectDefaults(); });
    QGuiApplication::inputMethod()->show();
    Load();
    FinishDress();
}

void PortSetupDialog::Load() {
    // Absent settings read as 0; each list says what 0 stands for. A value
    // the connection could not use either shows as the default.
    const std::int32_t speed = ReadInteger(options_, Option::BaudRate);
    const std::int32_t wantedSpeed = speed > 0 ? speed : kDefaultBaudRate;
    SelectValue(*baudRate_, wantedSpeed, QString::number(wantedSpeed));

    const std::int32_t dataBits = EffectiveDataBits(ReadInteger(options_, Option::DataBits));
    if (dataBits == 5 || dataBits == 6)
        SelectValue(*dataBits_, dataBits, QString::number(dataBits));
    else
        SelectValue(*dataBits_, dataBits == 7 ? 7 : kDefaultDataBits, {});

    const std::int32_t stopBits = ReadInteger(options_, Option::StopBits);
    stopBits_->setCurrentIndex(std::max(
        0,
        stopBits_->findData(RangeOf(Option::StopBits).Holds(stopBits) ? stopBits : kOneStopBit)));

    // An absent setting shows what the connection uses for it: none.
    std::int32_t flowControl = ReadInteger(options_, Option::FlowControl);
    if (!RangeOf(Option::FlowControl).Holds(flowControl))
        flowControl = kNoFlowControl;
    SelectValue(*flowControl_, flowControl, QStringLiteral("Software"));
}

void PortSetupDialog::SelectDefaults() {
    baudRate_->setCurrentIndex(baudRate_->findData(kSuggestedLine.baudRate));
    dataBits_->setCurrentIndex(dataBits_->findData(kSuggestedLine.dataBits));
    stopBits_->setCurrentIndex(stopBits_->findData(kSuggestedLine.stopBits));
    flowControl_->setCurrentIndex(flowControl_->findData(kSuggestedLine.flowControl));
}

void PortSetupDialog::accept() {
    OptionWrites writes(options_);
    writes.Write(Option::BaudRate, SelectedValue(*baudRate_, kDefaultBaudRate));
    writes.Write(Option::DataBits, SelectedValue(*dataBits_, kDefaultDataBits));
    writes.Write(Option::StopBits, SelectedValue(*stopBits_, kOneStopBit));
    writes.Write(Option::FlowControl, SelectedValue(*flowControl_, kNoFlowControl));
    if (CloseWhenStored(writes))
        QGuiApplication::inputMethod()->hide();
}

}  // namespace mivex::options
