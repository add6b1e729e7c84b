#pragma once

// Direct parent and child tests between views. A hidden child does not count: the grid keeps views that
// wait for reuse as hidden children, and those are not in the view.

class QWidget;

// True when subview is one of view's direct, shown children.
bool containsSubView(const QWidget *view, const QWidget *subview);
// True when view is one of superview's direct, shown children.
bool isSubviewOfView(const QWidget *view, const QWidget *superview);
