#pragma once

// Values shared by the grid, its items, its data source and its delegate.

#include <QMetaType>

#include <cstdint>
#include <limits>
#include <set>

// Item indexes and counts. One section only; its number is always 0.
using GridIndex = std::uint64_t;

// The index that stands for "no item" everywhere in the grid (the largest signed 64-bit value, so it
// survives a round trip through signed and unsigned index types alike).
inline constexpr GridIndex kNotFound = static_cast<GridIndex>(std::numeric_limits<std::int64_t>::max());

// A set of item indexes, ascending (the context menu's and the update operations' index sets).
using GridIndexSet = std::set<GridIndex>;
Q_DECLARE_METATYPE(GridIndexSet)

// Column and row of an item, both counted from 1.
struct ItemPoint {
    std::uint64_t column = 0;
    std::uint64_t row = 0;
    friend bool operator==(const ItemPoint &, const ItemPoint &) = default;
};

inline ItemPoint MakeItemPoint(std::uint64_t column, std::uint64_t row) {
    return ItemPoint{column, row};
}

// A run of item indexes: location, then length.
struct GridRange {
    GridIndex location = 0;
    GridIndex length = 0;
    friend bool operator==(const GridRange &, const GridRange &) = default;
};
