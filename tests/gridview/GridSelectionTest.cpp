#include "gridview/GridSelection.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Steps = std::vector<SelectionStep>;
constexpr Qt::KeyboardModifiers kPlain{};
constexpr Qt::KeyboardModifiers kControl{Qt::ControlModifier};
constexpr Qt::KeyboardModifiers kShift{Qt::ShiftModifier};

SelectionStep sel(GridIndex index) {
    return {SelectionStep::Kind::Select, index};
}
SelectionStep desel(GridIndex index) {
    return {SelectionStep::Kind::Deselect, index};
}
const SelectionStep kDeselectAll{SelectionStep::Kind::DeselectAll};

// Items 0..9 are placed unless a case says otherwise.
GridIndexSet placedUpTo(GridIndex last) {
    GridIndexSet placed;
    for (GridIndex i = 0; i <= last; ++i) placed.insert(i);
    return placed;
}

struct PressCase {
    std::string name;
    bool multiple;
    GridIndexSet selected;
    GridIndex lastSelected;
    GridIndex index;
    Qt::KeyboardModifiers modifiers;
    bool looksSelected;
    Steps steps;
    GridIndexSet after;
    GridIndex lastAfter;
    GridIndexSet placed = placedUpTo(9);
};

TEST(GridSelectionTest, Presses) {
    const PressCase cases[] = {
        {"multi plain: only the item",
         true,
         {1, 3},
         kNotFound,
         3,
         kPlain,
         true,
         {kDeselectAll, sel(3)},
         {3},
         kNotFound},
        {"multi plain on nothing selected", true, {}, kNotFound, 2, kPlain, false, {sel(2)}, {2}, kNotFound},
        {"multi control adds", true, {1}, kNotFound, 4, kControl, false, {sel(4)}, {1, 4}, kNotFound},
        {"multi control removes", true, {1, 4}, kNotFound, 1, kControl, true, {desel(1)}, {4}, kNotFound},
        {"multi control goes by the look", true, {}, kNotFound, 1, kControl, true, {}, {}, kNotFound},
        {"multi control wins over shift",
         true,
         {2},
         kNotFound,
         5,
         kControl | kShift,
         false,
         {sel(5)},
         {2, 5},
         kNotFound},
        {"shift range up from the highest",
         true,
         {2},
         kNotFound,
         5,
         kShift,
         false,
         {sel(3), sel(4), sel(5)},
         {2, 3, 4, 5},
         kNotFound},
        {"shift range down to the item",
         true,
         {2, 5},
         kNotFound,
         0,
         kShift,
         false,
         {sel(0), sel(1), sel(3), sel(4)},
         {0, 1, 2, 3, 4, 5},
         kNotFound},
        {"shift range skips unplaced",
         true,
         {1},
         kNotFound,
         5,
         kShift,
         false,
         {sel(2), sel(5)},
         {1, 2, 5},
         kNotFound,
         {0, 1, 2, 5}},
        {"shift with nothing selected", true, {}, kNotFound, 4, kShift, false, {sel(4)}, {4}, kNotFound},
        {"single plain replaces the last", false, {1}, 1, 4, kPlain, false, {desel(1), sel(4)}, {4}, 4},
        {"single again on the same item", false, {4}, 4, 4, kPlain, true, {}, {4}, 4},
        {"single control deselects", false, {4}, 4, 4, kControl, true, {desel(4)}, {}, 4},
        {"single control selects when not", false, {}, kNotFound, 4, kControl, false, {sel(4)}, {4}, 4},
        {"single shift is a plain press", false, {}, kNotFound, 6, kShift, false, {sel(6)}, {6}, 6},
        {"single last unplaced stays", false, {1}, 1, 4, kPlain, false, {sel(4)}, {1, 4}, 4, {2, 3, 4}},
        {"unplaced item: only the last goes", false, {1}, 1, 7, kPlain, false, {desel(1)}, {}, 1, {1, 2}},
        {"multi after single: last still goes",
         true,
         {1, 2},
         1,
         5,
         kShift,
         false,
         {desel(1), sel(3), sel(4), sel(5)},
         {2, 3, 4, 5},
         kNotFound},
    };
    for (const PressCase &c : cases) {
        SelectionState state{c.selected, c.placed, c.lastSelected, c.multiple};
        SelectionChange change = GridSelection::press(state, c.index, c.modifiers, c.looksSelected);
        EXPECT_EQ(change.steps, c.steps) << c.name;
        EXPECT_EQ(change.selected, c.after) << c.name;
        EXPECT_EQ(change.lastSelected, c.lastAfter) << c.name;
    }
}

TEST(GridSelectionTest, RightPressesAndBands) {
    SelectionState state{{2, 3}, placedUpTo(9), kNotFound, true};
    EXPECT_TRUE(GridSelection::rightPress(state, 3).steps.empty()) << "on the selection: kept";
    EXPECT_EQ(GridSelection::rightPress(state, 6).steps, (Steps{kDeselectAll, sel(6)}));
    EXPECT_EQ(GridSelection::rightPress(state, 6).selected, GridIndexSet{6});
    EXPECT_EQ(GridSelection::rightPress({{}, {}, kNotFound, true}, 6).steps, Steps{})
        << "unplaced, none selected";

    EXPECT_TRUE(GridSelection::bandLook(false, kPlain));
    EXPECT_TRUE(GridSelection::bandLook(true, kPlain));
    EXPECT_TRUE(GridSelection::bandLook(false, kControl));
    EXPECT_FALSE(GridSelection::bandLook(true, kControl));

    SelectionChange release =
        GridSelection::bandRelease(state, {{1, true}, {2, false}, {3, true}, {4, false}});
    EXPECT_EQ(release.steps, (Steps{sel(1), desel(2)}));
    EXPECT_EQ(release.selected, (GridIndexSet{1, 3}));
}

}  // namespace
