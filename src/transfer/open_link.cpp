#include "transfer/open_link.h"

#include <utility>

#include "modem/modem_link.h"
#include "modem/modem_port.h"
#include "phone/at_message_link.h"
#include "phone/phone_link.h"
#include "transfer/forwarding_link.h"
#include "transfer/phone_lock.h"

namespace mivex::transfer {
namespace {

// A link lives on the thread that opened it, so a lent one is lent per thread.
thread_local phone::MessageLink* t_lent = nullptr;

// The port the Port option names, opened; null after telling the user why not.
std::unique_ptr<phone::MessageLink> OpenNamedPort(TransferContext& context) {
    std::u16string port;
    (void)context.options.ReadOption(options::Option::Port, port);
    if (const std::optional<std::string> modemId = modem::ModemIdOfPort(port)) {
        return modem::OpenModemLink(context.link, context.options, context.status, *modemId);
    }
    phone::PortHandle handle = phone::OpenPhoneLink(context.link, context.options, context.status);
    if (!handle.isValid()) {
        return nullptr;
    }
    return std::make_unique<phone::AtMessageLink>(std::move(handle));
}

}  // namespace

LendLink::LendLink(phone::MessageLink& link) : before_(std::exchange(t_lent, &link)) {}

LendLink::~LendLink() {
    t_lent = before_;
}

std::unique_ptr<phone::MessageLink> OpenMessageLink(TransferContext& context) {
    if (t_lent != nullptr && !t_lent->Lost()) {
        return std::make_unique<LentLink>(*t_lent);
    }
    // Taken before the port is touched: a second process's line-up would
    // break into the holder's conversation with the phone.
    PhoneLockAttempt lock = TakePhoneLock(context.owner);
    if (lock.ending == PhoneLockEnding::Held) {
        std::u16string soundsOff;
        (void)context.options.ReadOption(options::Option::SoundsOff, soundsOff);
        context.status.ShowStatus(
            PhoneInUseText(lock.holder),
            soundsOff == u"1" ? platform::StatusBeep::None : platform::StatusBeep::Stop,
            platform::StatusColour::Red);
        return nullptr;
    }
    std::unique_ptr<phone::MessageLink> link = OpenNamedPort(context);
    if (!link || !lock.lock.isValid()) {
        return link;
    }
    return std::make_unique<LockedLink>(std::move(link), std::move(lock.lock));
}

}  // namespace mivex::transfer
