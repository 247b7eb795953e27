#include "app/qt_prompter.h"

#include <QMessageBox>

#include "app/qt_text.h"

namespace mivex::app {

namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

struct TestHook {
    bool active = false;
    std::deque<PromptAnswer> answers;
    std::vector<ShownBox> shown;
};

TestHook& Hook() {
    static TestHook hook;
    return hook;
}

QMessageBox::Icon BoxIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Exclamation:
            return QMessageBox::Warning;
        case PromptIcon::Stop:
            return QMessageBox::Critical;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

PromptAnswer Unanswered(PromptButtons buttons) {
    return buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Ok;
}

}  // namespace

PromptAnswer QtPrompter::ShowMessage(std::u16string_view text, std::u16string_view caption,
                                     PromptButtons buttons, PromptIcon icon) {
    TestHook& hook = Hook();
    if (hook.active) {
        hook.shown.push_back({std::u16string(text), std::u16string(caption), buttons, icon});
        if (hook.answers.empty())
            return Unanswered(buttons);
        const PromptAnswer answer = hook.answers.front();
        hook.answers.pop_front();
        return answer;
    }

    QMessageBox box(BoxIcon(icon), ToQString(caption), ToQString(text), QMessageBox::NoButton,
                    owner_ ? owner_->window() : nullptr);
    if (buttons == PromptButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        // A question acts only on Yes, so the harmless answer is the default.
        box.setDefaultButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setAccessibleName(ToQString(caption));
    const int pressed = box.exec();
    if (buttons == PromptButtons::YesNo)
        return pressed == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
    return PromptAnswer::Ok;
}

void QtPrompter::AnswerNextBoxes(std::deque<PromptAnswer> answers) {
    TestHook& hook = Hook();
    hook.active = true;
    hook.answers = std::move(answers);
}

const std::vector<ShownBox>& QtPrompter::ShownBoxes() {
    return Hook().shown;
}

void QtPrompter::ClearShownBoxes() {
    Hook().shown.clear();
}

}  // namespace mivex::app
