#pragma once

#include <cstdint>
#include <string>

#include "library/media_item.h"

// The display texts of the report columns. Main thread: the loaded detail object is read while
// the thumbnail worker may still be writing other details, never this item's texts.

// Recomputes the seven texts of one item. A loaded detail object also hands the item its file
// size, its shooting date (as a UTC file time) and its date-part flags. Dates are left empty in
// period mode, whose views draw their own.
void RefreshItemTexts(MediaItem& item, bool periodMode);
// Whether the worker has loaded the item's information since its texts were made: the
// dimensions or duration it read are not in the texts yet (views refresh them as they draw).
bool ItemTextsBehindDetail(const MediaItem& item);

// "4KB": the low 32 bits of the size, in whole KB.
std::string SizeText(uint64_t size);

// "12 X 34", empty when both are 0.
std::string DimensionsText(int32_t width, int32_t height);

// "hh:mm:ss.cc" of a duration in hundredths of a second; empty for none (0 or the -1 that
// readers report when the length is unknown).
std::string DurationText(int32_t hundredths);

// The date in the user's date format, one space, the time in the user's time format, both in
// local time.
std::string DateText(uint64_t fileTime);

// The report's type label: "CCD-RAW" for RAF files, otherwise the type name.
std::string TypeText(const MediaItem& item);
