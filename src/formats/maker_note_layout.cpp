#include "formats/maker_note_layout.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <new>

#include "formats/tiff_directory.h"

namespace {

constexpr std::array<std::uint8_t, 8> kMakerSignature = {'K', 'A', 'V', 'O', 'R', 'I', 'N', 'E'};
// Signature, directory offset, entry count, next-directory offset.
constexpr std::uint64_t kFixedSize = 8 + 4 + 2 + 4;
constexpr std::uint64_t kEntrySize = 12;

std::uint64_t PaddedValueSize(const TagEntry& entry)
{
    const std::uint64_t size = std::uint64_t{TiffTypeSize(entry.type)} * entry.count;
    return size > 4 ? (size + 1) & ~std::uint64_t{1} : 0;
}

void PutLittle(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The value's elements in little-endian order.
void PutValue(std::vector<std::uint8_t>& out, std::size_t at, const TagEntry& entry)
{
    std::copy(entry.value.begin(), entry.value.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    if constexpr (std::endian::native == std::endian::little)
        return;
    const std::size_t unit = entry.type == kTiffShort || entry.type == kTiffSShort ? 2
        : entry.type == kTiffLong || entry.type == kTiffSLong || entry.type == kTiffRational
            || entry.type == kTiffSRational
        ? 4
        : 1;
    for (std::size_t i = 0; unit > 1 && i + unit <= entry.value.size(); i += unit)
        std::reverse(out.begin() + static_cast<std::ptrdiff_t>(at + i),
                     out.begin() + static_cast<std::ptrdiff_t>(at + i + unit));
}

TiffResult CheckEntries(std::span<const TagEntry* const> sorted)
{
    if (sorted.size() > TiffDirectory::kMaxEntries)
        return TiffResult::kMalformed;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const TagEntry& entry = *sorted[i];
        if (!IsValidTiffType(entry.type))
            return TiffResult::kBadType;
        if (entry.count == 0)
            return TiffResult::kBadCount;
        if (entry.value.size() != std::uint64_t{TiffTypeSize(entry.type)} * entry.count)
            return TiffResult::kBadArgument;
        if (i > 0 && sorted[i - 1]->tag == entry.tag)
            return TiffResult::kTagExists;
    }
    return TiffResult::kOk;
}

} // namespace

std::uint64_t MakerNoteSize(std::span<const TagEntry> entries)
{
    std::uint64_t size = kFixedSize;
    for (const TagEntry& entry : entries)
        size += kEntrySize + PaddedValueSize(entry);
    return size;
}

TiffResult LayOutMakerNote(std::span<const TagEntry> entries, std::vector<std::uint8_t>& note)
{
    try {
        std::vector<const TagEntry*> sorted;
        sorted.reserve(entries.size());
        for (const TagEntry& entry : entries)
            sorted.push_back(&entry);
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const TagEntry* a, const TagEntry* b) { return a->tag < b->tag; });
        if (const TiffResult result = CheckEntries(sorted); !Succeeded(result))
            return result;
        const std::uint64_t size = MakerNoteSize(entries);
        if (size > std::numeric_limits<std::uint32_t>::max())
            return TiffResult::kBadArgument;

        std::vector<std::uint8_t> out(static_cast<std::size_t>(size), 0);
        std::copy(kMakerSignature.begin(), kMakerSignature.end(), out.begin());
        PutLittle(out, 8, kMakerNoteDirectoryOffset, 4);
        PutLittle(out, kMakerNoteDirectoryOffset, static_cast<std::uint32_t>(sorted.size()), 2);
        std::size_t slot = kMakerNoteDirectoryOffset + 2;
        // The next-directory offset stays zero; the values follow it.
        std::size_t data = slot + kEntrySize * sorted.size() + 4;
        for (const TagEntry* entry : sorted) {
            PutLittle(out, slot, entry->tag, 2);
            PutLittle(out, slot + 2, entry->type, 2);
            PutLittle(out, slot + 4, entry->count, 4);
            if (entry->value.size() <= 4) {
                PutValue(out, slot + 8, *entry);
            } else {
                PutLittle(out, slot + 8, static_cast<std::uint32_t>(data), 4);
                PutValue(out, data, *entry);
                data += static_cast<std::size_t>(PaddedValueSize(*entry));
            }
            slot += kEntrySize;
        }
        note = std::move(out);
        return TiffResult::kOk;
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
}
