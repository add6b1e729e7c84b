#include "gridview/ViewHierarchy.h"

#include <QWidget>

bool containsSubView(const QWidget *view, const QWidget *subview) {
    return view != nullptr && subview != nullptr && subview->parentWidget() == view && !subview->isHidden();
}

bool isSubviewOfView(const QWidget *view, const QWidget *superview) {
    return containsSubView(superview, view);
}
