#pragma once

// The core's message boxes as QMessageBox, owned by the program's window.
//
// Tests answer boxes ahead of time (AnswerNextBoxes) and read what was shown
// (ShownBoxes), so no test ever waits for a person. A box that comes with no
// answer queued in a test is answered No (or Ok), and counted as unexpected.

#include <QPointer>
#include <QWidget>
#include <deque>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace mivex::app {

struct ShownBox {
    std::u16string text;
    std::u16string caption;
    platform::PromptButtons buttons;
    platform::PromptIcon icon;
};

class QtPrompter final : public platform::Prompter {
public:
    // Boxes are centred on `owner`'s window, or stand alone when it is null.
    explicit QtPrompter(QWidget* owner = nullptr) : owner_(owner) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }

    platform::PromptAnswer ShowMessage(std::u16string_view text, std::u16string_view caption,
                                       platform::PromptButtons buttons,
                                       platform::PromptIcon icon) override;

    // The test hook: from now on boxes are not shown but answered from this
    // queue, in order, and recorded.
    static void AnswerNextBoxes(std::deque<platform::PromptAnswer> answers);
    [[nodiscard]] static const std::vector<ShownBox>& ShownBoxes();
    static void ClearShownBoxes();

private:
    QPointer<QWidget> owner_;
};

}  // namespace mivex::app
