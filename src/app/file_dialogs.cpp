#include "app/file_dialogs.h"

#include <QFileDialog>

namespace mivex::app {

namespace {

struct TestHook {
    bool pending = false;
    std::optional<QString> answer;
    SaveDialogRequest last;
};

TestHook& Hook() {
    static TestHook hook;
    return hook;
}

}  // namespace

std::optional<QString> AskSaveFileName(QWidget* owner, const SaveDialogRequest& request) {
    TestHook& hook = Hook();
    hook.last = request;
    if (hook.pending) {
        hook.pending = false;
        return hook.answer;
    }
    QFileDialog dialog(owner, request.title, QString(), request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

void AnswerNextSaveDialog(std::optional<QString> answer) {
    TestHook& hook = Hook();
    hook.pending = true;
    hook.answer = std::move(answer);
}

const SaveDialogRequest& LastSaveDialogRequest() {
    return Hook().last;
}

}  // namespace mivex::app
