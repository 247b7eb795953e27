#pragma once

// A list and a text kept in memory, for code that drives the core's window
// operations without a window: the command-line client, benchmarks.

#include <string>
#include <vector>

#include "platform/list_control.h"
#include "platform/text_control.h"

namespace mivex::platform {

class MemoryList final : public ListControl {
public:
    std::size_t Count() const override { return rows_.size(); }
    void Reset() override { rows_.clear(); }
    std::size_t AddRow(std::u16string_view text) override;
    void InsertRow(std::size_t index, std::u16string_view text) override;
    void DeleteRow(std::size_t index) override;
    std::u16string RowText(std::size_t index) const override { return rows_.at(index).text; }
    std::uint32_t ItemData(std::size_t index) const override { return rows_.at(index).data; }
    void SetItemData(std::size_t index, std::uint32_t data) override {
        rows_.at(index).data = data;
    }
    bool IsSelected(std::size_t index) const override { return rows_.at(index).selected; }
    void SetSelected(std::size_t index, bool selected) override {
        rows_.at(index).selected = selected;
    }
    std::size_t SelectedCount() const override;

    void SelectAll();

private:
    struct Row {
        std::u16string text;
        std::uint32_t data = 0;
        bool selected = false;
    };
    std::vector<Row> rows_;
};

class MemoryText final : public TextControl {
public:
    explicit MemoryText(std::u16string text = {}) : text_(std::move(text)) {}
    std::u16string Text() const override { return text_; }
    void SetText(std::u16string_view text) override;
    void SetSelection(std::size_t start, std::size_t end) override;
    void ReplaceSelection(std::u16string_view text) override;

private:
    std::u16string text_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
};

}  // namespace mivex::platform
