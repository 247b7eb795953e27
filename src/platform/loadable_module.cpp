#include "platform/loadable_module.h"

#include <dlfcn.h>

namespace mivex::platform {

void* LoadModuleSymbol(const std::string& file, const char* symbol, std::string& error) {
    // RTLD_LOCAL keeps the module's libraries out of the program's own
    // symbol lookups; RTLD_NODELETE makes "stays loaded" hold even if a
    // later caller closes it.
    void* module = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module == nullptr) {
        const char* why = ::dlerror();
        error = why != nullptr ? why : "cannot open " + file;
        return nullptr;
    }
    (void)::dlerror();
    void* found = ::dlsym(module, symbol);
    if (found == nullptr) {
        const char* why = ::dlerror();
        error = why != nullptr ? why : file + " has no " + symbol;
    }
    return found;
}

}  // namespace mivex::platform
