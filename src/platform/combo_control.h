#pragma once

// A drop-down list of text items, each with one signed datum, and at most one
// current item: the compose view's category box and its recipient box.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mivex::platform {

class ComboControl {
public:
    virtual ~ComboControl() = default;

    [[nodiscard]] virtual std::size_t Count() const = 0;
    // Removes every item and the current one.
    virtual void Reset() = 0;
    // Adds an item at the end (the control does no sorting of its own) and
    // returns its index.
    virtual std::size_t AddItem(std::u16string_view text) = 0;
    virtual void InsertItem(std::size_t index, std::u16string_view text) = 0;
    [[nodiscard]] virtual std::u16string ItemText(std::size_t index) const = 0;

    [[nodiscard]] virtual std::int32_t ItemData(std::size_t index) const = 0;
    virtual void SetItemData(std::size_t index, std::int32_t data) = 0;

    // The current item; none when nothing is chosen.
    [[nodiscard]] virtual std::optional<std::size_t> CurrentIndex() const = 0;
    virtual void SetCurrentIndex(std::optional<std::size_t> index) = 0;

    // The first item whose whole text equals `text`, unit for unit.
    [[nodiscard]] virtual std::optional<std::size_t> FindExact(std::u16string_view text) const = 0;

    // Painting is suspended while a long fill runs, then resumed.
    virtual void SetRedraw(bool on) { (void)on; }
};

}  // namespace mivex::platform
