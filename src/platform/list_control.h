#pragma once

// A list of text rows with multiple selection and one 32-bit item datum per
// row: the folder views' message lists and the compose view's recipients.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mivex::platform {

class ListControl {
public:
    virtual ~ListControl() = default;

    [[nodiscard]] virtual std::size_t Count() const = 0;
    virtual void Reset() = 0;
    // Adds a row at the end and returns its index.
    virtual std::size_t AddRow(std::u16string_view text) = 0;
    virtual void InsertRow(std::size_t index, std::u16string_view text) = 0;
    virtual void DeleteRow(std::size_t index) = 0;
    [[nodiscard]] virtual std::u16string RowText(std::size_t index) const = 0;

    [[nodiscard]] virtual std::uint32_t ItemData(std::size_t index) const = 0;
    virtual void SetItemData(std::size_t index, std::uint32_t data) = 0;

    [[nodiscard]] virtual bool IsSelected(std::size_t index) const = 0;
    virtual void SetSelected(std::size_t index, bool selected) = 0;
    [[nodiscard]] virtual std::size_t SelectedCount() const = 0;

    // Repaints the window that holds the list (after a message box closed
    // over it); nothing to do where painting is not synchronous.
    virtual void RepaintOwner() {}
};

// The lowest selected index, or Count() when nothing is selected.
[[nodiscard]] std::size_t FirstSelectedIndex(const ListControl& list);

}  // namespace mivex::platform
