#pragma once

class TagSet;

// The picture's quality: 0 basic, 1 normal, 2 fine (from the maker's quality word or the
// compression ratio), 3 and 4 for the TIFF colour models YCbCr and RGB, -1 when unknown.
int QualityIndexOf(const TagSet& tags);
