#pragma once

// The grid's colours. Each call returns a new colour value.

#include <QColor>

namespace GridViewPalette {

QColor itemBackgroundColor();           // black at alpha 0.05: an item at rest
QColor itemBackgroundHoverColor();      // black at alpha 0.1 (offered to callers)
QColor itemBackgroundSelectionColor();  // black at alpha 0.25 (offered to callers)
QColor itemSelectionRingColor();        // the blue ring around a selected item
QColor itemTitleColor();                // dark grey text
QColor itemTitleShadowColor();          // white at alpha 0.8, the engraved look under the text
QColor selectionFrameColor();           // mid grey (offered to callers)
QColor controlColor();                  // the desktop's control background: the grid's default background

}  // namespace GridViewPalette
