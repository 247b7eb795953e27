// The least a Qt Widgets program does to show something: one empty dialog,
// ended right after its first paint, as mivex ends with
// MIVEX_EXIT_AFTER_FIRST_PAINT=1. The start-up benchmark times both.

#include <QApplication>
#include <QDialog>
#include <QEvent>

namespace {

class EndAfterFirstPaint final : public QObject {
public:
    explicit EndAfterFirstPaint(QDialog& dialog) : dialog_(dialog) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QMetaObject::invokeMethod(
                &dialog_, [this] { dialog_.done(0); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QDialog& dialog_;
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QDialog dialog;
    EndAfterFirstPaint endAfterFirstPaint(dialog);
    dialog.installEventFilter(&endAfterFirstPaint);
    return dialog.exec();
}
