#pragma once

// The line settings of the port the phone is on: speed, data bits, stop bits
// and flow control. Opened from the General options; "Defaults" puts back
// 19200 8-1 with hardware flow control without storing anything, OK stores
// the four settings.

#include <QComboBox>
#include <QPushButton>

#include "options/ui/option_dialog.h"

namespace mivex::options {

class PortSetupDialog final : public OptionDialog {
    Q_OBJECT
public:
    PortSetupDialog(StoreOptions& options, const DialogChrome& chrome, QWidget* owner = nullptr);

    void accept() override;

private:
    void Load();
    void SelectDefaults();

    StoreOptions& options_;
    QComboBox* baudRate_;
    QComboBox* dataBits_;
    QComboBox* stopBits_;
    QComboBox* flowControl_;
    QPushButton* defaults_;
};

}  // namespace mivex::options
