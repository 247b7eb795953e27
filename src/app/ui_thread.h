#pragma once

// A transfer runs on a worker thread so the window keeps painting and
// answering the desktop; every call it makes on a window control is carried
// over to the interface thread and waited for, so the core sees the same
// controls, in the same order, as if it ran on the interface thread itself.

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <type_traits>

#include "platform/list_control.h"
#include "platform/status_sink.h"

namespace mivex::app {

// Runs `call` on `context`'s thread and returns its result; at once when
// that is the calling thread.
template <class Call>
auto OnThreadOf(QObject& context, Call&& call) -> std::invoke_result_t<Call&> {
    using Result = std::invoke_result_t<Call&>;
    if (QThread::currentThread() == context.thread())
        return call();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(
            &context, [&call] { call(); }, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            &context, [&call, &result] { result = call(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

// The view's status strip, for a run on a worker thread.
class CrossThreadStatus final : public platform::StatusSink {
public:
    CrossThreadStatus(platform::StatusSink& strip, QObject& context)
        : strip_(strip), context_(context) {}

    void ShowStatus(std::u16string_view text, platform::StatusBeep beep,
                    platform::StatusColour colour) override {
        OnThreadOf(context_, [&] { strip_.ShowStatus(text, beep, colour); });
    }
    void RepaintOwner() override {
        OnThreadOf(context_, [&] { strip_.RepaintOwner(); });
    }

private:
    platform::StatusSink& strip_;
    QObject& context_;
};

// The view's message list, for a run on a worker thread.
class CrossThreadList final : public platform::ListControl {
public:
    CrossThreadList(platform::ListControl& list, QObject& context)
        : list_(list), context_(context) {}

    std::size_t Count() const override {
        return OnThreadOf(context_, [&] { return list_.Count(); });
    }
    void Reset() override {
        OnThreadOf(context_, [&] { list_.Reset(); });
    }
    std::size_t AddRow(std::u16string_view text) override {
        return OnThreadOf(context_, [&] { return list_.AddRow(text); });
    }
    void InsertRow(std::size_t index, std::u16string_view text) override {
        OnThreadOf(context_, [&] { list_.InsertRow(index, text); });
    }
    void DeleteRow(std::size_t index) override {
        OnThreadOf(context_, [&] { list_.DeleteRow(index); });
    }
    std::u16string RowText(std::size_t index) const override {
        return OnThreadOf(context_, [&] { return list_.RowText(index); });
    }
    std::uint32_t ItemData(std::size_t index) const override {
        return OnThreadOf(context_, [&] { return list_.ItemData(index); });
    }
    void SetItemData(std::size_t index, std::uint32_t data) override {
        OnThreadOf(context_, [&] { list_.SetItemData(index, data); });
    }
    bool IsSelected(std::size_t index) const override {
        return OnThreadOf(context_, [&] { return list_.IsSelected(index); });
    }
    void SetSelected(std::size_t index, bool selected) override {
        OnThreadOf(context_, [&] { list_.SetSelected(index, selected); });
    }
    std::size_t SelectedCount() const override {
        return OnThreadOf(context_, [&] { return list_.SelectedCount(); });
    }
    void RepaintOwner() override {
        OnThreadOf(context_, [&] { list_.RepaintOwner(); });
    }

private:
    platform::ListControl& list_;
    QObject& context_;
};

}  // namespace mivex::app
