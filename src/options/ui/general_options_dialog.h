#pragma once

// The General options: how the compose view presents contacts (name order,
// every number or one, the "(x)" tags), sounds, whether new messages are
// received as they arrive, and the port the phone is on with its line
// settings behind "Setup". OK stores them and has the compose
// view refill its contacts at once.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <functional>

#include "options/port_list.h"
#include "options/ui/option_dialog.h"

namespace mivex::options {

class GeneralOptionsDialog final : public OptionDialog {
    Q_OBJECT
public:
    // `contactsChanged` runs after the settings are stored, so the contact
    // list follows them; `ports` says where the port list is read from,
    // ModemManager's modems among it (offered, and the ports they hold marked).
    GeneralOptionsDialog(StoreOptions& options, const DialogChrome& chrome,
                         std::function<void()> contactsChanged, const PortRoots& ports = {},
                         QWidget* owner = nullptr);

    void accept() override;

private:
    void Load(const PortRoots& ports);
    void RunPortSetup();

    StoreOptions& options_;
    std::function<void()> contactsChanged_;
    QComboBox* nameOrder_;
    QCheckBox* showAllContactNumbers_;
    QCheckBox* removeNumberTag_;
    QCheckBox* soundsOff_;
    QCheckBox* receiveAsTheyArrive_;
    QComboBox* port_;
    QPushButton* setup_;
};

}  // namespace mivex::options
