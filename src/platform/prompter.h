#pragma once

// Message boxes: confirmations, refusals and results. Every box has the
// caption "Mivex" unless it says otherwise.

#include <string_view>

namespace mivex::platform {

enum class PromptButtons { Ok, YesNo };
enum class PromptIcon { None, Information, Exclamation, Stop };
enum class PromptAnswer { Ok, Yes, No };

inline constexpr std::u16string_view kPromptCaption = u"Mivex";

class Prompter {
public:
    virtual ~Prompter() = default;

    virtual PromptAnswer ShowMessage(std::u16string_view text, std::u16string_view caption,
                                     PromptButtons buttons, PromptIcon icon) = 0;

    // A Yes/No question with the exclamation icon; true only for Yes.
    bool Confirm(std::u16string_view text) {
        return ShowMessage(text, kPromptCaption, PromptButtons::YesNo, PromptIcon::Exclamation) ==
               PromptAnswer::Yes;
    }
    void Tell(std::u16string_view text, PromptIcon icon) {
        ShowMessage(text, kPromptCaption, PromptButtons::Ok, icon);
    }
};

}  // namespace mivex::platform
