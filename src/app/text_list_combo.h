#pragma once

// A combo box over a plain list of texts, for the recipient box's thousands
// of contact entries. The box's own item model keeps an item object, a
// data table and a string per entry, several times what the text takes;
// this control gives the box a string-list model instead, and a fill done
// with painting suspended reaches the model in one step. Item data is kept
// beside the texts only once some item has any.

#include <QComboBox>
#include <QStringList>
#include <QStringListModel>
#include <vector>

#include "platform/combo_control.h"

namespace mivex::app {

class TextListCombo final : public platform::ComboControl {
public:
    // Gives `combo` the list model; `combo` owns it.
    explicit TextListCombo(QComboBox& combo);

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
    // Hands texts added while painting was off to the model.
    void Flush() const;

    QComboBox& combo_;
    QStringListModel* model_;
    mutable QStringList pending_;
    bool holding_ = false;
    std::vector<std::int32_t> data_;  // empty while every item's datum is 0
};

}  // namespace mivex::app
