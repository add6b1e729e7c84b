#pragma once

// Turns the item indexes under the mouse-ups collected within one double-click interval into single and
// double clicks. Two or three mouse-ups on the same item are one double click; four or more mouse-ups in one
// interval are too fast to mean anything and report nothing.

#include "gridview/GridViewTypes.h"

#include <vector>

struct SortedClick {
    GridIndex index;
    bool isDoubleClick;
    friend bool operator==(const SortedClick &, const SortedClick &) = default;
};

std::vector<SortedClick> sortClicks(const std::vector<GridIndex> &mouseUpIndexes);
