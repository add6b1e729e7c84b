#pragma once

// What a press does to the grid's selection, worked out on indexes alone; the grid carries the steps out on
// its views and reports each one. Only placed items can be selected. Steps that would change nothing are
// left out, so the steps are exactly the selection events the grid reports, in their order.
//
//   plain press    : multiple selection: deselect all, then select the item; single: select it
//   Control press  : toggles the item (by its look); single selection: only deselects a selected item
//   Shift press    : multiple selection: selects the placed items from the highest selected index to the
//                    item (just the item when nothing is selected); single selection: as a plain press
//   single selection: every press first deselects the item pressed before, if it is placed
//   right press    : on an unselected item, deselect all and select it; on a selected one, nothing
//   band           : while dragging, a covered item looks selected (Control: the opposite of whether it is
//                    in the selection); on release the selection takes each marked item's look

#include "gridview/GridViewTypes.h"

#include <Qt>

#include <map>
#include <vector>

struct SelectionStep {
    enum class Kind { Select, Deselect, DeselectAll };
    Kind kind;
    GridIndex index = kNotFound;  // none for DeselectAll
    friend bool operator==(const SelectionStep &, const SelectionStep &) = default;
};

struct SelectionState {
    GridIndexSet selected;
    GridIndexSet placed;
    GridIndex lastSelected = kNotFound;  // the item of the last press in single selection
    bool allowsMultiple = false;
};

struct SelectionChange {
    std::vector<SelectionStep> steps;  // in the order the grid carries them out
    GridIndexSet selected;             // the selection after them
    GridIndex lastSelected = kNotFound;
};

class GridSelection {
  public:
    // A left press on index (not kNotFound); pressedLooksSelected is the pressed view's look.
    static SelectionChange press(const SelectionState &state, GridIndex index,
                                 Qt::KeyboardModifiers modifiers, bool pressedLooksSelected);
    static SelectionChange rightPress(const SelectionState &state, GridIndex index);
    // How an item the band covers looks while the drag goes on.
    static bool bandLook(bool inSelection, Qt::KeyboardModifiers modifiers);
    // The release of a band: looks holds each marked index and whether it looks selected.
    static SelectionChange bandRelease(const SelectionState &state, const std::map<GridIndex, bool> &looks);
};
