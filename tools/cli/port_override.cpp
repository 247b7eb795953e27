#include "port_override.h"

namespace mivex::tools {

bool PortOverride::ReadOption(options::Option option, std::u16string& value) {
    if (option == options::Option::Port && port_) {
        value = *port_;
        return true;
    }
    return stored_.ReadOption(option, value);
}

}  // namespace mivex::tools
