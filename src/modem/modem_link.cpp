#include "modem/modem_link.h"

#include "modem/link_status.h"
#include "modem/modem_loader.h"
#include "phone/line_settings.h"

namespace mivex::modem {

std::unique_ptr<phone::MessageLink> OpenModemLink(phone::LinkContext& link,
                                                  options::OptionReader& options,
                                                  platform::StatusSink& status,
                                                  const std::string& modemId,
                                                  ModemTimeouts timeouts) {
    const phone::ConnectionOptions read = phone::ReadConnectionOptions(options);
    ShowLinkProgress(status, u"Opening " + read.portName);
    if (!read.soundsOff) {
        link.sounds.PlayStartSound();
    }
    const ModemModuleEntry* entry = ModemLoader::Shared().Entry();
    if (entry == nullptr) {
        return FailToOpen(link, status, read.soundsOff, kNotInstalledText);
    }
    return entry->connectLink(link, status, read.soundsOff, modemId, timeouts);
}

}  // namespace mivex::modem
