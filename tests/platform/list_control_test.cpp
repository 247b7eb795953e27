#include "platform/list_control.h"

#include <gtest/gtest.h>

#include "platform/memory_controls.h"

namespace mivex::platform {
namespace {

TEST(FirstSelectedIndex, IsTheLowestSelectedRowOrTheCountWhenNone) {
    MemoryList list;
    EXPECT_EQ(FirstSelectedIndex(list), 0u);
    for (auto text : {u"a", u"b", u"c", u"d"})
        list.AddRow(text);
    EXPECT_EQ(FirstSelectedIndex(list), 4u);
    list.SetSelected(3, true);
    list.SetSelected(1, true);
    EXPECT_EQ(FirstSelectedIndex(list), 1u);
}

}  // namespace
}  // namespace mivex::platform
