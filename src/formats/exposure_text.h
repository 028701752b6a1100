#pragma once

#include <cstdint>
#include <string>

class TagSet;

// The exposure time and f-number texts of a picture, as the information display and the report
// show them ("1/250", "8", "F2.8", "F11"). The numbers are not localised. Any thread.

// ExposureTime (0x829A) when it has a non-zero denominator, else the nominal speed of the APEX
// ShutterSpeedValue (0x9201); empty when neither gives one.
std::string ExposureTimeText(const TagSet& tags);

// An exposure time of numerator / denominator seconds: "1/250", "1/12.5", "1.3", "2", "0" for
// a zero numerator; empty for a zero denominator.
std::string ExposureTimeText(std::uint32_t numerator, std::uint32_t denominator);

// The nominal shutter speed nearest to an APEX time value, in tenths of a stop: "1/250" for 8,
// "8" for -3; empty beyond 20 stops.
std::string ShutterSpeedText(double apexValue);

// FNumber (0x829D) when it has a non-zero denominator (cut to whole tenths), else the f-number
// of the APEX ApertureValue (0x9202, rounded to the nearest tenth); empty when neither gives one
// or the f-number is below 0.1.
std::string FNumberText(const TagSet& tags);

// An f-number given in whole tenths (truncated): "F2.8" for 28, "F11" for 110, "F1000" for
// 10240; empty for 0.
std::string FNumberText(std::uint64_t tenths);
