#pragma once

// A compose view for callers that have none (the command line, benchmarks):
// the folder operations they use never hand a message over, so this one
// takes whatever it is given and keeps nothing.

#include "platform/memory_controls.h"
#include "store/compose_target.h"

namespace mivex::store {

class DiscardingComposeTarget final : public ComposeTarget {
public:
    void AddRecipientEntry(std::u16string_view) override {}
    platform::TextControl& MessageText() override { return text_; }
    void MessageTextChanged() override {}

private:
    platform::MemoryText text_;
};

}  // namespace mivex::store
