#pragma once

// An editable text: the views' message boxes and the compose view's text.

#include <cstddef>
#include <string>
#include <string_view>

namespace mivex::platform {

class TextControl {
public:
    virtual ~TextControl() = default;

    [[nodiscard]] virtual std::u16string Text() const = 0;
    virtual void SetText(std::u16string_view text) = 0;
    // Selection in UTF-16 units; start == end is a caret.
    virtual void SetSelection(std::size_t start, std::size_t end) = 0;
    // Replaces the selection (or inserts at the caret) and leaves the caret
    // after the inserted text.
    virtual void ReplaceSelection(std::u16string_view text) = 0;
};

}  // namespace mivex::platform
