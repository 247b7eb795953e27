#include "run_seams.h"

#include <stdlib.h>

#include <algorithm>
#include <system_error>

#include "phone_fill.h"

namespace mivex::bench {

std::filesystem::path MakeScratchDirectory() {
    std::error_code error;
    std::string pattern =
        (std::filesystem::temp_directory_path(error) / "mivex-bench-XXXXXX").string();
    if (error || mkdtemp(pattern.data()) == nullptr) {
        return {};
    }
    return pattern;
}

ScratchStore::ScratchStore(const std::string& devicePath, int baudRate)
    : directory_(MakeScratchDirectory()) {
    if (directory_.empty()) {
        return;
    }
    store_ = std::make_unique<store::Store>(directory_, sounds_);
    options_ = std::make_unique<options::StoreOptions>(*store_);
    using options::Option;
    const std::u16string port(devicePath.begin(), devicePath.end());
    ready_ = options_->WriteOption(Option::Port, port + u":") &&
             options_->WriteOption(Option::BaudRate, baudRate) &&
             options_->WriteOption(Option::SoundsOff, 1) &&
             options_->WriteOption(Option::DeleteAfterReceive, 0) &&
             options_->WriteOption(Option::UsePhoneServiceCentre, 0) &&
             options_->WriteOption(Option::ServiceCentre,
                                   std::u16string(kServiceCentre.begin(), kServiceCentre.end())) &&
             options_->WriteOption(Option::ValidityPeriod, 2);
}

ScratchStore::~ScratchStore() {
    options_.reset();
    store_.reset();
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
}

}  // namespace mivex::bench
