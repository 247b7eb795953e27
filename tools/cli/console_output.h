#pragma once

// Where the core's progress texts and message boxes go on a terminal: status
// texts to stdout as they come, results to stdout, refusals and failures to
// stderr, all as UTF-8 lines.

#include <ostream>
#include <string_view>

#include "platform/prompter.h"
#include "platform/status_sink.h"

namespace mivex::tools {

// One line per text, flushed at once: a transfer blocks for seconds between
// texts and whoever watches must see where it is. A failure text (red, or
// with the stop sound) goes to stderr, everything else to stdout; beeps and
// colours are dropped.
class ConsoleStatus final : public platform::StatusSink {
public:
    ConsoleStatus(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    void ShowStatus(std::u16string_view text, platform::StatusBeep beep,
                    platform::StatusColour colour) override;

private:
    std::ostream& out_;
    std::ostream& err_;
};

// Message boxes as lines: the information icon marks a result (stdout), every
// other box a refusal or failure (stderr). Questions are not shown; they are
// answered Yes only when the user confirmed on the command line.
class ConsolePrompter final : public platform::Prompter {
public:
    ConsolePrompter(std::ostream& out, std::ostream& err, bool answerYes = false)
        : out_(out), err_(err), answerYes_(answerYes) {}
    platform::PromptAnswer ShowMessage(std::u16string_view text, std::u16string_view caption,
                                       platform::PromptButtons buttons,
                                       platform::PromptIcon icon) override;

private:
    std::ostream& out_;
    std::ostream& err_;
    bool answerYes_;
};

}  // namespace mivex::tools
