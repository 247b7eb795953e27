#pragma once

// The core's window seams on Qt widgets: a list widget as ListControl, a
// plain-text edit or a label as TextControl, a combo box as ComboControl.
// Each adapter holds a reference to a widget that outlives it.

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

#include "platform/combo_control.h"
#include "platform/list_control.h"
#include "platform/text_control.h"

namespace mivex::app {

class QtListControl final : public platform::ListControl {
public:
    explicit QtListControl(QListWidget& list) : list_(list) {}

    std::size_t Count() const override;
    void Reset() override;
    std::size_t AddRow(std::u16string_view text) override;
    void InsertRow(std::size_t index, std::u16string_view text) override;
    void DeleteRow(std::size_t index) override;
    std::u16string RowText(std::size_t index) const override;
    std::uint32_t ItemData(std::size_t index) const override;
    void SetItemData(std::size_t index, std::uint32_t data) override;
    bool IsSelected(std::size_t index) const override;
    void SetSelected(std::size_t index, bool selected) override;
    std::size_t SelectedCount() const override;
    void RepaintOwner() override;

private:
    QListWidget& list_;
};

// A message edit. Line breaks are one '\n' in the edit, as a desktop user
// types them; "\r\n" and lone '\r' given to it become '\n'. Positions the core
// gives count in the text it last set, so they are moved back by the line
// breaks that became one character shorter.
class QtTextControl final : public platform::TextControl {
public:
    explicit QtTextControl(QPlainTextEdit& edit) : edit_(edit) {}

    std::u16string Text() const override;
    void SetText(std::u16string_view text) override;
    void SetSelection(std::size_t start, std::size_t end) override;
    void ReplaceSelection(std::u16string_view text) override;

private:
    [[nodiscard]] int EditPosition(std::size_t position) const;

    QPlainTextEdit& edit_;
    std::u16string lastSet_;
    int lastSetRevision_ = -1;
};

// A label whose text the core sets, such as a view's message count.
class QtLabelText final : public platform::TextControl {
public:
    explicit QtLabelText(QLabel& label) : label_(label) {}

    std::u16string Text() const override;
    void SetText(std::u16string_view text) override;
    void SetSelection(std::size_t, std::size_t) override {}
    void ReplaceSelection(std::u16string_view text) override { SetText(text); }

private:
    QLabel& label_;
};

class QtComboControl final : public platform::ComboControl {
public:
    explicit QtComboControl(QComboBox& combo) : combo_(combo) {}

    std::size_t Count() const override;
    void Reset() override;
    std::size_t AddItem(std::u16string_view text) override;
    void InsertItem(std::size_t index, std::u16string_view text) override;
    std::u16string ItemText(std::size_t index) const override;
    std::int32_t ItemData(std::size_t index) const override;
    void SetItemData(std::size_t index, std::int32_t data) override;
    std::optional<std::size_t> CurrentIndex() const override;
    void SetCurrentIndex(std::optional<std::size_t> index) override;
    std::optional<std::size_t> FindExact(std::u16string_view text) const override;
    void SetRedraw(bool on) override;

private:
    QComboBox& combo_;
};

// Line breaks as the edits hold them: "\r\n" and '\r' become '\n'.
[[nodiscard]] QString EditLineBreaks(std::u16string_view text);

}  // namespace mivex::app
