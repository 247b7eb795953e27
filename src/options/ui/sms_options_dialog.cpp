#include "options/ui/sms_options_dialog.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "options/option_defaults.h"
#include "options/options_record.h"

namespace mivex::options {

SmsOptionsDialog::SmsOptionsDialog(StoreOptions& options, const DialogChrome& chrome,
                                   QWidget* owner)
    : OptionDialog(chrome, owner, QStringLiteral(":/artwork/title-sms-options.svg"),
                   QStringLiteral("SMS Options"), Help::Answered),
      options_(options),
      serviceCentre_(new QLineEdit(this)),
      usePhoneServiceCentre_(NewCheckBox(QStringLiteral("Use phone Service Centre"), this)),
      validityPeriod_(new QComboBox(this)),
      statusReport_(NewCheckBox(QStringLiteral("Request status report"), this)),
      replyPath_(NewCheckBox(QStringLiteral("Request reply"), this)),
      gsmAlphabetOnly_(NewCheckBox(QStringLiteral("Send only GSM characters"), this)),
      deleteAfterReceive_(NewCheckBox(QStringLiteral("Delete messages after receive"), this)) {
    setObjectName(QStringLiteral("SmsOptionsDialog"));
    // A longer number would be stored but read back as nothing.
    serviceCentre_->setMaxLength(static_cast<int>(kMaxOptionChars));
    serviceCentre_->setAccessibleName(QStringLiteral("Service Centre"));
    validityPeriod_->setAccessibleName(QStringLiteral("Validity period"));
    gsmAlphabetOnly_->setToolTip(
        QStringLiteral("For recipients whose phones cannot show Unicode: letters outside the GSM "
                       "alphabet are sent as \"?\", and each SMS holds 160 characters."));
    statusReport_->setToolTip(QStringLiteral(
        "The network reports whether each message arrived; the Sent view shows it after the "
        "next receive. Some carriers charge for reports."));

    // One form, so the two labelled controls line up.
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Service Centre"), serviceCentre_);
    form->addRow(usePhoneServiceCentre_);
    form->addRow(QStringLiteral("Validity period"), validityPeriod_);
    for (QCheckBox* box : {statusReport_, replyPath_, gsmAlphabetOnly_, deleteAfterReceive_})
        form->addRow(box);
    Body().addLayout(form);

    // The typed number stays when the phone's own is chosen, so unticking
    // brings it back.
    connect(usePhoneServiceCentre_, &QCheckBox::toggled, serviceCentre_,
            [this](bool usePhone) { serviceCentre_->setEnabled(!usePhone); });
    Load();
    FinishDress();
}

void SmsOptionsDialog::Load() {
    std::u16string number;
    (void)options_.ReadOption(Option::ServiceCentre, number);
    serviceCentre_->setText(QString::fromStdU16String(number));
    const bool usePhone = ReadInteger(options_, Option::UsePhoneServiceCentre) != 0;
    usePhoneServiceCentre_->setChecked(usePhone);
    serviceCentre_->setEnabled(!usePhone);

    validityPeriod_->addItems({QStringLiteral("1 Hour"), QStringLiteral("12 Hours"),
                               QStringLiteral("1 Day"), QStringLiteral("1 Week")});
    // A stored choice the list does not have means nothing to the sending
    // run either; the dialog shows the one an absent choice stands for.
    const std::int32_t validity = ReadInteger(options_, Option::ValidityPeriod);
    validityPeriod_->setCurrentIndex(RangeOf(Option::ValidityPeriod).Holds(validity) ? validity
                                                                                     : 0);

    statusReport_->setChecked(ReadInteger(options_, Option::StatusReport) != 0);
    replyPath_->setChecked(ReadInteger(options_, Option::ReplyPath) != 0);
    deleteAfterReceive_->setChecked(ReadInteger(options_, Option::DeleteAfterReceive) != 0);
    gsmAlphabetOnly_->setChecked(ReadInteger(options_, Option::GsmAlphabetOnly) != 0);
}

void SmsOptionsDialog::accept() {
    OptionWrites writes(options_);
    writes.Write(Option::ServiceCentre, serviceCentre_->text());
    writes.Write(Option::UsePhoneServiceCentre, usePhoneServiceCentre_->isChecked() ? 1 : 0);
    writes.Write(Option::ValidityPeriod, validityPeriod_->currentIndex());
    writes.Write(Option::StatusReport, statusReport_->isChecked() ? 1 : 0);
    writes.Write(Option::ReplyPath, replyPath_->isChecked() ? 1 : 0);
    writes.Write(Option::DeleteAfterReceive, deleteAfterReceive_->isChecked() ? 1 : 0);
    writes.Write(Option::GsmAlphabetOnly, gsmAlphabetOnly_->isChecked() ? 1 : 0);
    (void)CloseWhenStored(writes);
}

}  // namespace mivex::options
