#include "app/ScanPages.h"

#include <algorithm>

ScanPages::Id ScanPages::add(const QImage &picture, const QImage &thumbnail) {
    pages_.push_back({nextId_, picture, thumbnail});
    return nextId_++;
}

bool ScanPages::remove(int index) {
    if (index < 0 || index >= count()) return false;
    pages_.erase(pages_.begin() + index);
    return true;
}

bool ScanPages::move(int from, int to) {
    if (from < 0 || from >= count() || to < 0 || to >= count()) return false;
    const auto at = [this](int i) { return pages_.begin() + i; };
    if (from < to)
        std::rotate(at(from), at(from) + 1, at(to) + 1);
    else
        std::rotate(at(to), at(from), at(from) + 1);
    return true;
}

void ScanPages::removeIds(const std::vector<Id> &ids) {
    std::erase_if(
        pages_, [&ids](const Page &page) { return std::find(ids.begin(), ids.end(), page.id) != ids.end(); });
}
