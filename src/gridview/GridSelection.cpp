#include "gridview/GridSelection.h"

#include <algorithm>

namespace {

// Steps and the selection they lead to, built together so that each step sees the one before it.
class Planner {
  public:
    explicit Planner(const SelectionState &state) : change_{{}, state.selected, state.lastSelected} {}

    void select(GridIndex index) {
        if (change_.selected.insert(index).second)
            change_.steps.push_back({SelectionStep::Kind::Select, index});
    }
    void deselect(GridIndex index) {
        if (change_.selected.erase(index) != 0)
            change_.steps.push_back({SelectionStep::Kind::Deselect, index});
    }
    void deselectAll() {
        if (change_.selected.empty()) return;
        change_.selected.clear();
        change_.steps.push_back({SelectionStep::Kind::DeselectAll});
    }
    const GridIndexSet &selected() const { return change_.selected; }
    void setLastSelected(GridIndex index) { change_.lastSelected = index; }
    SelectionChange take() { return std::move(change_); }

  private:
    SelectionChange change_;
};

}  // namespace

SelectionChange GridSelection::press(const SelectionState &state, GridIndex index,
                                     Qt::KeyboardModifiers modifiers, bool pressedLooksSelected) {
    Planner plan(state);
    GridIndex last = state.lastSelected;
    if (last != kNotFound && last != index && state.placed.count(last) != 0) plan.deselect(last);
    if (state.placed.count(index) == 0) return plan.take();
    bool shift = modifiers.testFlag(Qt::ShiftModifier);
    bool command = modifiers.testFlag(Qt::ControlModifier);
    if (!state.allowsMultiple) {
        if (command && pressedLooksSelected) {
            plan.deselect(index);
        } else {
            plan.select(index);
        }
        plan.setLastSelected(index);
        return plan.take();
    }
    if (command) {
        if (pressedLooksSelected) {
            plan.deselect(index);
        } else {
            plan.select(index);
        }
    } else if (shift && !plan.selected().empty()) {
        GridIndex highest = *plan.selected().rbegin();
        GridIndex from = std::min(highest, index), to = std::max(highest, index);
        for (auto it = state.placed.lower_bound(from); it != state.placed.end() && *it <= to; ++it) {
            plan.select(*it);
        }
    } else if (shift) {
        plan.select(index);
    } else {
        plan.deselectAll();
        plan.select(index);
    }
    plan.setLastSelected(kNotFound);
    return plan.take();
}

SelectionChange GridSelection::rightPress(const SelectionState &state, GridIndex index) {
    Planner plan(state);
    if (state.selected.count(index) != 0) return plan.take();
    plan.deselectAll();
    if (state.placed.count(index) != 0) plan.select(index);
    return plan.take();
}

bool GridSelection::bandLook(bool inSelection, Qt::KeyboardModifiers modifiers) {
    return modifiers.testFlag(Qt::ControlModifier) ? !inSelection : true;
}

SelectionChange GridSelection::bandRelease(const SelectionState &state,
                                           const std::map<GridIndex, bool> &looks) {
    Planner plan(state);
    for (const auto &[index, looksSelected] : looks) {
        if (looksSelected) {
            plan.select(index);
        } else {
            plan.deselect(index);
        }
    }
    return plan.take();
}
