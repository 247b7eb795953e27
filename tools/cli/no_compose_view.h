#pragma once

// The compose view as the command line stands in for it.

#include "platform/memory_controls.h"
#include "store/compose_target.h"

namespace mivex::tools {

// The folder operations the command line uses never hand a message over to
// the compose view; this one takes whatever it is given and keeps nothing.
class NoComposeView final : public store::ComposeTarget {
public:
    void AddRecipientEntry(std::u16string_view) override {}
    platform::TextControl& MessageText() override { return text_; }
    void MessageTextChanged() override {}

private:
    platform::MemoryText text_;
};

}  // namespace mivex::tools
