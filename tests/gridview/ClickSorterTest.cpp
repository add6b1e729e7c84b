#include "gridview/ClickSorter.h"

#include <gtest/gtest.h>

namespace {

SortedClick single(GridIndex index) {
    return SortedClick{index, false};
}
SortedClick twice(GridIndex index) {
    return SortedClick{index, true};
}

TEST(ClickSorterTest, SortsUpToThreeMouseUps) {
    EXPECT_EQ(sortClicks({}), std::vector<SortedClick>{});
    EXPECT_EQ(sortClicks({3}), (std::vector<SortedClick>{single(3)}));
    EXPECT_EQ(sortClicks({3, 3}), (std::vector<SortedClick>{twice(3)}));
    EXPECT_EQ(sortClicks({3, 4}), (std::vector<SortedClick>{single(3), single(4)}));
    EXPECT_EQ(sortClicks({3, 3, 3}), (std::vector<SortedClick>{twice(3)}));
    EXPECT_EQ(sortClicks({3, 3, 4}), (std::vector<SortedClick>{twice(3), single(4)}));
    EXPECT_EQ(sortClicks({3, 4, 4}), (std::vector<SortedClick>{single(3), twice(4)}));
    EXPECT_EQ(sortClicks({3, 4, 3}), (std::vector<SortedClick>{single(3), single(4), single(3)}));
    EXPECT_EQ(sortClicks({3, 3, 3, 3}), std::vector<SortedClick>{});
}

}  // namespace
