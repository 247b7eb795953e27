#pragma once

// What the folder views hand messages over to: the compose view, seen only
// through the three things a hand-over needs. The desktop compose view
// implements it; tests use a recording stand-in.

#include <string_view>

#include "platform/text_control.h"

namespace mivex::store {

class ComposeTarget {
public:
    virtual ~ComposeTarget() = default;

    // Puts the entry into the recipient box and runs the "Add" command on it,
    // so the entry reaches the recipient list exactly as a typed one would.
    virtual void AddRecipientEntry(std::u16string_view entry) = 0;
    // The compose view's message text.
    virtual platform::TextControl& MessageText() = 0;
    // The message text was changed from outside: the view updates its
    // character and segment counter.
    virtual void MessageTextChanged() = 0;
};

}  // namespace mivex::store
