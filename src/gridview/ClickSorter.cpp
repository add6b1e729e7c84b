#include "gridview/ClickSorter.h"

std::vector<SortedClick> sortClicks(const std::vector<GridIndex> &ups) {
    auto single = [](GridIndex index) { return SortedClick{index, false}; };
    auto twice = [](GridIndex index) { return SortedClick{index, true}; };
    switch (ups.size()) {
        case 1:
            return {single(ups[0])};
        case 2:
            if (ups[0] == ups[1]) return {twice(ups[0])};
            return {single(ups[0]), single(ups[1])};
        case 3: {
            GridIndex a = ups[0], b = ups[1], c = ups[2];
            if (a == b && b == c) return {twice(a)};
            if (a == b) return {twice(a), single(c)};
            if (b == c) return {single(a), twice(b)};
            return {single(a), single(b), single(c)};
        }
        default:
            return {};
    }
}
