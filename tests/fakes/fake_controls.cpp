#include "fake_controls.h"

#include <algorithm>
#include <stdexcept>

namespace mivex::testing {

std::vector<std::u16string> RowTexts(const platform::ListControl& list) {
    std::vector<std::u16string> texts;
    for (std::size_t row = 0; row < list.Count(); ++row)
        texts.push_back(list.RowText(row));
    return texts;
}

void FakeComboControl::Reset() {
    items.clear();
    current.reset();
}

std::size_t FakeComboControl::AddItem(std::u16string_view text) {
    items.push_back({std::u16string(text)});
    return items.size() - 1;
}

void FakeComboControl::InsertItem(std::size_t index, std::u16string_view text) {
    if (index > items.size())
        throw std::out_of_range("InsertItem past the end");
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), Item{std::u16string(text)});
    if (current && *current >= index)
        ++*current;
}

void FakeComboControl::SetCurrentIndex(std::optional<std::size_t> index) {
    if (index && *index >= items.size())
        throw std::out_of_range("SetCurrentIndex past the end");
    current = index;
}

std::optional<std::size_t> FakeComboControl::FindExact(std::u16string_view text) const {
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (items[index].text == text)
            return index;
    }
    return std::nullopt;
}

std::vector<std::u16string> FakeComboControl::Texts() const {
    std::vector<std::u16string> texts;
    for (const Item& item : items)
        texts.push_back(item.text);
    return texts;
}

void FakeTextControl::SetText(std::u16string_view value) {
    text = value;
    selectionStart = selectionEnd = text.size();
}

void FakeTextControl::SetSelection(std::size_t start, std::size_t end) {
    selectionStart = std::min(start, text.size());
    selectionEnd = std::min(std::max(end, selectionStart), text.size());
}

void FakeTextControl::ReplaceSelection(std::u16string_view value) {
    text.replace(selectionStart, selectionEnd - selectionStart, value);
    selectionStart = selectionEnd = selectionStart + value.size();
}

std::vector<std::u16string> RecordingStatusSink::Texts() const {
    std::vector<std::u16string> texts;
    for (const StatusLine& line : lines)
        texts.push_back(line.text);
    return texts;
}

platform::PromptAnswer ScriptedPrompter::ShowMessage(std::u16string_view text,
                                                     std::u16string_view caption,
                                                     platform::PromptButtons buttons,
                                                     platform::PromptIcon icon) {
    seen.push_back({std::u16string(text), std::u16string(caption), buttons, icon});
    if (!answers.empty()) {
        const platform::PromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == platform::PromptButtons::YesNo ? platform::PromptAnswer::Yes
                                                     : platform::PromptAnswer::Ok;
}

}  // namespace mivex::testing
