#pragma once

// The SMS options: the service centre or the phone's own, the validity
// period, the status-report and reply-path requests, sending in the GSM
// alphabet only, and deleting messages from the phone once received. Read
// when the dialog opens, written only on OK.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "options/ui/option_dialog.h"

namespace mivex::options {

class SmsOptionsDialog final : public OptionDialog {
    Q_OBJECT
public:
    SmsOptionsDialog(StoreOptions& options, const DialogChrome& chrome, QWidget* owner = nullptr);

    void accept() override;

private:
    void Load();

    StoreOptions& options_;
    QLineEdit* serviceCentre_;
    QCheckBox* usePhoneServiceCentre_;
    QComboBox* validityPeriod_;
    QCheckBox* statusReport_;
    QCheckBox* replyPath_;
    QCheckBox* gsmAlphabetOnly_;
    QCheckBox* deleteAfterReceive_;
};

}  // namespace mivex::options
