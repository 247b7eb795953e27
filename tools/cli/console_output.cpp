#include "console_output.h"

#include "exit_status.h"
#include "text/utf8.h"

namespace mivex::tools {

void ConsoleStatus::ShowStatus(std::u16string_view text, platform::StatusBeep beep,
                               platform::StatusColour colour) {
    // An empty text clears the strip; on a terminal there is nothing to clear.
    if (text.empty())
        return;
    if (colour == platform::StatusColour::Red || beep == platform::StatusBeep::Stop)
        err_ << kMessagePrefix << text::Utf16ToUtf8(text) << std::endl;
    else
        out_ << text::Utf16ToUtf8(text) << std::endl;
}

platform::PromptAnswer ConsolePrompter::ShowMessage(std::u16string_view text, std::u16string_view,
                                                    platform::PromptButtons buttons,
                                                    platform::PromptIcon icon) {
    if (buttons == platform::PromptButtons::YesNo)
        return answerYes_ ? platform::PromptAnswer::Yes : platform::PromptAnswer::No;
    if (icon == platform::PromptIcon::Information)
        out_ << text::Utf16ToUtf8(text) << std::endl;
    else
        err_ << kMessagePrefix << text::Utf16ToUtf8(text) << std::endl;
    return platform::PromptAnswer::Ok;
}

}  // namespace mivex::tools
