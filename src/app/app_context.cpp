#include "app/app_context.h"

namespace mivex::app {

AppContext::AppContext(std::filesystem::path dataDirectory, AppSeams seams)
    : seams_(seams),
      store_(std::move(dataDirectory), seams.sounds),
      options_(store_),
      contacts_(contacts::ContactsFolderIn(store_.DataDirectory()),
                contacts::ContactsCacheIn(store_.DataDirectory())) {}

AppContext::~AppContext() = default;

}  // namespace mivex::app
