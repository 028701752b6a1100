#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "library/media_item.h"

// The user's sort types, in the order of the sort menu commands 40311 to 40316.
inline constexpr int kSortByName = 0;
inline constexpr int kSortByType = 1;
inline constexpr int kSortBySize = 2;
inline constexpr int kSortByDate = 3;
inline constexpr int kSortByDimensions = 4;
inline constexpr int kSortByDuration = 5;
inline constexpr int kSortTypeCount = 6;

bool IsValidSortType(int sortType);

// Date, dimension and duration keys come from the files' medium information, which a listing
// does not read.
bool SortNeedsAllInformation(int sortType);

// The final tie-break of every sort type: the names' bytes compared after lower-casing A to Z,
// terminating zero included, so that a name sorts before every longer name it begins.
// Negative, zero or positive like strcmp.
int CompareItemNames(std::string_view a, std::string_view b);

// Orders two items under a sort type (an unknown type orders by name). Negative when `a` comes
// first; zero only when even the names are equal.
int CompareItems(const MediaItem& a, const MediaItem& b, int sortType);

// The display order of the items: a stable top-down merge sort of their indexes, so items that
// compare equal keep their current relative order.
std::vector<size_t> SortedOrder(const std::vector<MediaItem>& items, int sortType);

// Re-orders the items by SortedOrder; each item's detail object moves with it.
void SortItems(std::vector<MediaItem>& items, int sortType);
