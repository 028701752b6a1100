#include "library/item_sort.h"

#include <array>
#include <cstdint>
#include <utility>

namespace {

// One comparison step. Each returns a decision or 0 to let the next step decide.
enum class SortKey {
    None,
    FilesBeforeFolders,
    TypeNumber,       // ascending; folders have 0 and come first
    Size,             // ascending, 64-bit unsigned
    Date,             // ascending file time
    PixelCount,       // width x height as a 32-bit unsigned product, ascending, 0 after all others
    Width,            // ascending
    Duration,         // ascending, 0 after all others
    MoviesSoundsFirst // movies and sounds before everything else
};

// Row n holds the keys of sort type n, tried from left to right; the names decide the rest.
constexpr std::array<std::array<SortKey, 3>, kSortTypeCount> kSortKeys = {{
    {SortKey::None, SortKey::None, SortKey::None},                      // 0 name
    {SortKey::TypeNumber, SortKey::None, SortKey::None},                // 1 type
    {SortKey::Size, SortKey::None, SortKey::None},                      // 2 size
    {SortKey::FilesBeforeFolders, SortKey::Date, SortKey::None},        // 3 date
    {SortKey::FilesBeforeFolders, SortKey::PixelCount, SortKey::Width}, // 4 dimensions
    {SortKey::Duration, SortKey::MoviesSoundsFirst, SortKey::None},     // 5 duration
}};

template <typename T> int Ascending(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Zero means "not known" for pixel counts and durations, so it goes after every real value.
template <typename T> int AscendingZeroLast(T a, T b)
{
    if (a == b)
        return 0;
    if (a == 0)
        return 1;
    if (b == 0)
        return -1;
    return a < b ? -1 : 1;
}

uint32_t PixelCount(const MediaItem& item)
{
    return static_cast<uint32_t>(item.width) * static_cast<uint32_t>(item.height);
}

int CompareByKey(SortKey key, const MediaItem& a, const MediaItem& b)
{
    switch (key) {
    case SortKey::None: return 0;
    case SortKey::FilesBeforeFolders: return Ascending(a.IsFolder(), b.IsFolder());
    case SortKey::TypeNumber: return Ascending(a.typeNumber, b.typeNumber);
    case SortKey::Size: return Ascending(a.size, b.size);
    case SortKey::Date: return Ascending(a.date, b.date);
    case SortKey::PixelCount: return AscendingZeroLast(PixelCount(a), PixelCount(b));
    case SortKey::Width: return Ascending(a.width, b.width);
    case SortKey::Duration: return AscendingZeroLast(a.durationMs, b.durationMs);
    case SortKey::MoviesSoundsFirst: return Ascending(!(a.isMovie || a.isSound), !(b.isMovie || b.isSound));
    }
    return 0;
}

unsigned char LowerByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

class MergeSorter {
public:
    MergeSorter(const std::vector<MediaItem>& items, int sortType)
        : m_items(items)
        , m_sortType(sortType)
    {
    }

    std::vector<size_t> Run()
    {
        m_order.resize(m_items.size());
        for (size_t i = 0; i < m_order.size(); ++i)
            m_order[i] = i;
        m_scratch.resize(m_order.size());
        if (!m_order.empty())
            Sort(0, m_order.size() - 1);
        return std::move(m_order);
    }

private:
    // Sorts the inclusive range [first, last].
    void Sort(size_t first, size_t last)
    {
        if (first >= last)
            return;
        const size_t middle = (first + last) / 2;
        Sort(first, middle);
        Sort(middle + 1, last);
        size_t left = first;
        size_t right = middle + 1;
        size_t out = first;
        while (left <= middle && right <= last) {
            // Only a strictly smaller right element overtakes: equal keys keep the left first.
            if (CompareItems(m_items[m_order[right]], m_items[m_order[left]], m_sortType) < 0)
                m_scratch[out++] = m_order[right++];
            else
                m_scratch[out++] = m_order[left++];
        }
        while (left <= middle)
            m_scratch[out++] = m_order[left++];
        while (right <= last)
            m_scratch[out++] = m_order[right++];
        for (size_t i = first; i <= last; ++i)
            m_order[i] = m_scratch[i];
    }

    const std::vector<MediaItem>& m_items;
    int m_sortType;
    std::vector<size_t> m_order;
    std::vector<size_t> m_scratch;
};

} // namespace

bool IsValidSortType(int sortType)
{
    return sortType >= 0 && sortType < kSortTypeCount;
}

bool SortNeedsAllInformation(int sortType)
{
    return sortType == kSortByDate || sortType == kSortByDimensions || sortType == kSortByDuration;
}

int CompareItemNames(std::string_view a, std::string_view b)
{
    // Names are UTF-8 and so is the system code page here, so no conversion is needed; the
    // compare stops at the first zero byte as the converted C strings would.
    for (size_t i = 0;; ++i) {
        const unsigned char ca = i < a.size() ? LowerByte(a[i]) : 0;
        const unsigned char cb = i < b.size() ? LowerByte(b[i]) : 0;
        if (ca != cb)
            return static_cast<int>(ca) - static_cast<int>(cb);
        if (ca == 0)
            return 0;
    }
}

int CompareItems(const MediaItem& a, const MediaItem& b, int sortType)
{
    if (IsValidSortType(sortType)) {
        for (SortKey key : kSortKeys[static_cast<size_t>(sortType)]) {
            if (const int decision = CompareByKey(key, a, b); decision != 0)
                return decision;
        }
    }
    return CompareItemNames(a.fileName, b.fileName);
}

std::vector<size_t> SortedOrder(const std::vector<MediaItem>& items, int sortType)
{
    return MergeSorter(items, sortType).Run();
}

void SortItems(std::vector<MediaItem>& items, int sortType)
{
    const std::vector<size_t> order = SortedOrder(items, sortType);
    std::vector<MediaItem> sorted;
    sorted.reserve(items.size());
    for (size_t index : order)
        sorted.push_back(std::move(items[index]));
    items = std::move(sorted);
}
