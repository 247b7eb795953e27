#include "transfer/open_link.h"

#include <utility>

#include "modem/modem_link.h"
#include "modem/modem_port.h"
#include "phone/at_message_link.h"
#include "phone/phone_link.h"
#include "transfer/lent_link.h"

namespace mivex::transfer {
namespace {

// A link lives on the thread that opened it, so a lent one is lent per thread.
thread_local phone::MessageLink* t_lent = nullptr;

}  // namespace

LendLink::LendLink(phone::MessageLink& link) : before_(std::exchange(t_lent, &link)) {}

LendLink::~LendLink() {
    t_lent = before_;
}

std::unique_ptr<phone::MessageLink> OpenMessageLink(TransferContext& context) {
    if (t_lent != nullptr && !t_lent->Lost()) {
        return std::make_unique<LentLink>(*t_lent);
    }
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

}  // namespace mivex::transfer
