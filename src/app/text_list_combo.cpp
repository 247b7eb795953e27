#include "app/text_list_combo.h"

#include "app/qt_text.h"

namespace mivex::app {

namespace {

int Row(std::size_t index) {
    return static_cast<int>(index);
}

}  // namespace

TextListCombo::TextListCombo(QComboBox& combo)
    : combo_(combo), model_(new QStringListModel(&combo)) {
    combo_.setModel(model_);
}

void TextListCombo::Flush() const {
    if (pending_.isEmpty())
        return;
    QStringList all = model_->stringList();
    if (all.isEmpty())
        all = std::exchange(pending_, {});
    else
        all.append(std::exchange(pending_, {}));
    model_->setStringList(all);
}

std::size_t TextListCombo::Count() const {
    return static_cast<std::size_t>(model_->rowCount() + pending_.size());
}

void TextListCombo::Reset() {
    pending_.clear();
    data_.clear();
    model_->setStringList({});
    combo_.setCurrentIndex(-1);
}

std::size_t TextListCombo::AddItem(std::u16string_view text) {
    if (!data_.empty())
        data_.push_back(0);
    if (holding_) {
        pending_.append(ToQString(text));
        return Count() - 1;
    }
    const int row = model_->rowCount();
    model_->insertRows(row, 1);
    model_->setData(model_->index(row), ToQString(text));
    return static_cast<std::size_t>(row);
}

void TextListCombo::InsertItem(std::size_t index, std::u16string_view text) {
    Flush();
    const int row = std::min(Row(index), model_->rowCount());
    if (!data_.empty())
        data_.insert(data_.begin() + row, 0);
    model_->insertRows(row, 1);
    model_->setData(model_->index(row), ToQString(text));
}

std::u16string TextListCombo::ItemText(std::size_t index) const {
    Flush();
    return ToU16(model_->index(Row(index)).data().toString());
}

std::int32_t TextListCombo::ItemData(std::size_t index) const {
    return index < data_.size() ? data_[index] : 0;
}

void TextListCombo::SetItemData(std::size_t index, std::int32_t data) {
    if (index >= Count())
        return;
    if (data_.empty() && data == 0)
        return;
    data_.resize(Count());
    data_[index] = data;
}

std::optional<std::size_t> TextListCombo::CurrentIndex() const {
    Flush();
    const int index = combo_.currentIndex();
    if (index < 0)
        return std::nullopt;
    return static_cast<std::size_t>(index);
}

void TextListCombo::SetCurrentIndex(std::optional<std::size_t> index) {
    Flush();
    combo_.setCurrentIndex(index ? Row(*index) : -1);
}

std::optional<std::size_t> TextListCombo::FindExact(std::u16string_view text) const {
    Flush();
    const int index = combo_.findText(ToQString(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return std::nullopt;
    return static_cast<std::size_t>(index);
}

void TextListCombo::SetRedraw(bool on) {
    holding_ = !on;
    if (on)
        Flush();
    combo_.setUpdatesEnabled(on);
}

}  // namespace mivex::app
