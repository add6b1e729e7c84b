#include "viewer/FreezeFrame.h"

ImageBytes FreezeFrame::take(const ImageBytes &latest) {
    // The same bytes were shown already, or would not decode last time either.
    if (frozen_ || !latest || latest->empty() || latest == shown_) return nullptr;
    shown_ = latest;
    return latest;
}
