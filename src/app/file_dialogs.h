#pragma once

// The save-file dialog, with a test hook that answers it in its place.

#include <QString>
#include <QWidget>
#include <optional>

namespace mivex::app {

struct SaveDialogRequest {
    QString title;
    QString filter;       // "Text (*.txt)"
    QString defaultName;  // proposed in the name field
    QString defaultSuffix;
};

// The chosen path, or nothing when the user cancelled.
[[nodiscard]] std::optional<QString> AskSaveFileName(QWidget* owner,
                                                     const SaveDialogRequest& request);

// The test hook: the next dialog is not shown; it returns `answer` and its
// request is kept for LastSaveDialogRequest.
void AnswerNextSaveDialog(std::optional<QString> answer);
[[nodiscard]] const SaveDialogRequest& LastSaveDialogRequest();

}  // namespace mivex::app
