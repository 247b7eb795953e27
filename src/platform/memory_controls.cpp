#include "platform/memory_controls.h"

#include <algorithm>

namespace mivex::platform {

std::size_t MemoryList::AddRow(std::u16string_view text) {
    rows_.push_back({std::u16string(text)});
    return rows_.size() - 1;
}

void MemoryList::InsertRow(std::size_t index, std::u16string_view text) {
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(std::min(index, rows_.size())),
                 {std::u16string(text)});
}

void MemoryList::DeleteRow(std::size_t index) {
    if (index < rows_.size())
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::size_t MemoryList::SelectedCount() const {
    return static_cast<std::size_t>(
        std::count_if(rows_.begin(), rows_.end(), [](const Row& row) { return row.selected; }));
}

void MemoryList::SelectAll() {
    for (Row& row : rows_)
        row.selected = true;
}

void MemoryText::SetText(std::u16string_view text) {
    text_.assign(text);
    start_ = end_ = text_.size();
}

void MemoryText::SetSelection(std::size_t start, std::size_t end) {
    end_ = std::min(end, text_.size());
    start_ = std::min(start, end_);
}

void MemoryText::ReplaceSelection(std::u16string_view text) {
    text_.replace(start_, end_ - start_, text);
    start_ = end_ = start_ + text.size();
}

}  // namespace mivex::platform
