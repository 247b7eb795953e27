#pragma once

// The settings as the store keeps them, except for a port named on the
// command line, which is used for this run only and never stored.

#include <optional>
#include <string>

#include "options/option_ids.h"

namespace mivex::tools {

class PortOverride final : public options::OptionReader {
public:
    PortOverride(options::OptionReader& stored, std::optional<std::u16string> port)
        : stored_(stored), port_(std::move(port)) {}

    bool ReadOption(options::Option option, std::int32_t& value) override {
        return stored_.ReadOption(option, value);
    }
    bool ReadOption(options::Option option, std::u16string& value) override;

private:
    options::OptionReader& stored_;
    std::optional<std::u16string> port_;
};

}  // namespace mivex::tools
