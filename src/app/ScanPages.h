#pragma once

// The pages scanned so far, in the order they go into the PDF, until they are saved or discarded. Each
// page has an id of its own, so that a save that ran while pages were added or moved takes away exactly
// the pages it wrote.
//
// Thread use: GUI thread (the pictures are shared with the workers that save them).

#include <QImage>

#include <cstdint>
#include <vector>

class ScanPages {
  public:
    using Id = std::uint64_t;
    struct Page {
        Id id;
        QImage picture;    // the page as cleaned
        QImage thumbnail;  // for the page strip
    };

    // Appends a page; returns its id.
    Id add(const QImage &picture, const QImage &thumbnail);
    // False (nothing changes) for an index out of range.
    bool remove(int index);
    // Moves the page at from to index to (the others close up); false when either is out of range.
    bool move(int from, int to);
    // Takes away the pages with these ids, wherever they stand now.
    void removeIds(const std::vector<Id> &ids);
    void clear() { pages_.clear(); }

    int count() const { return int(pages_.size()); }
    bool isEmpty() const { return pages_.empty(); }
    const Page &at(int index) const { return pages_.at(std::size_t(index)); }
    const std::vector<Page> &pages() const { return pages_; }

  private:
    std::vector<Page> pages_;
    Id nextId_ = 1;
};
