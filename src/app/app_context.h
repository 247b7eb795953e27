#pragma once

// What the views are handed: the store and the settings in it, the address
// book, the machine's seams and the state the views share for the run. The
// program makes one; a widget test makes one over a temporary folder, a fake
// clock and silent sounds.

#include <filesystem>
#include <memory>

#include "app/pin_dialog.h"
#include "app/qt_prompter.h"
#include "app/shell_state.h"
#include "contacts/contacts_directory.h"
#include "options/options_record.h"
#include "platform/clock.h"
#include "platform/modem_directory.h"
#include "platform/pin_prompter.h"
#include "platform/serial_device.h"
#include "platform/sounds.h"
#include "sms/submit_encoder.h"
#include "store/store.h"

namespace mivex::app {

class LiveConnection;
class ViewPage;

// Opens the views and dialogs that the compose view and the folder views run
// over themselves. Returns false for a view the program does not have.
class ViewOpener {
public:
    virtual ~ViewOpener() = default;
    // A folder view, by its command (Inbox, Outbox, Sent). With no folder
    // view running, runs it, and then each view a switch asks for, until one
    // ends with no switch asked. While one runs (a switch: the current view
    // has just ended itself), notes the view to open next and returns at
    // once, so the current view's loop ends before the next view exists.
    virtual bool RunFolderView(int command) = 0;
    // An option dialog or About, by its command, over `owner`.
    virtual bool RunDialog(int command, QWidget& owner) = 0;
};

struct AppSeams {
    platform::Clock& clock;
    platform::Sounds& sounds;
    platform::SerialOpener& serialOpener;
    // Which ports ModemManager holds: said when one will not open, marked in
    // the port list.
    platform::ModemDirectory& modems;
};

class AppContext {
public:
    AppContext(std::filesystem::path dataDirectory, AppSeams seams);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // The data directory the store settled on (the XDG default when none was given).
    [[nodiscard]] const std::filesystem::path& DataDirectory() const {
        return store_.DataDirectory();
    }
    [[nodiscard]] platform::Clock& Clock() { return seams_.clock; }
    [[nodiscard]] platform::Sounds& Sounds() { return seams_.sounds; }
    [[nodiscard]] platform::SerialOpener& SerialOpener() { return seams_.serialOpener; }
    [[nodiscard]] store::Store& Store() { return store_; }
    [[nodiscard]] options::StoreOptions& Options() { return options_; }
    [[nodiscard]] contacts::ContactsDirectory& Contacts() { return contacts_; }
    [[nodiscard]] QtPrompter& Prompter() { return prompter_; }
    [[nodiscard]] platform::ModemDirectory& Modems() { return seams_.modems; }
    // Asks for the SIM card's PIN, and keeps it when asked to until the program ends.
    [[nodiscard]] platform::PinPrompter& Pins() { return rememberedPin_; }
    [[nodiscard]] ShellState& Shell() { return shell_; }
    // The program-wide message references of the sending runs.
    [[nodiscard]] sms::SubmitCounters& Counters() { return counters_; }

    [[nodiscard]] ViewOpener* Views() const { return views_; }
    void SetViews(ViewOpener* views) { views_ = views; }
    // The connection kept open while the window is; none in widget tests
    // that do without it.
    [[nodiscard]] LiveConnection* Live() const { return live_; }
    void SetLive(LiveConnection* live) { live_ = live; }

private:
    AppSeams seams_;
    store::Store store_;
    options::StoreOptions options_;
    contacts::ContactsDirectory contacts_;
    QtPrompter prompter_;
    QtPinPrompter pinDialog_;
    platform::RememberedPin rememberedPin_{pinDialog_};
    ShellState shell_;
    sms::SubmitCounters counters_;
    ViewOpener* views_ = nullptr;
    LiveConnection* live_ = nullptr;
};

}  // namespace mivex::app
