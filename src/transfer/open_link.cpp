#include "transfer/open_link.h"

#include "modem/modem_link.h"
#include "modem/modem_port.h"
#include "phone/at_message_link.h"
#include "phone/phone_link.h"

namespace mivex::transfer {

std::unique_ptr<phone::MessageLink> OpenMessageLink(TransferContext& context) {
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
