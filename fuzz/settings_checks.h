#pragma once
// Checks shared by the fuzz targets that read settings lines.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/filter_settings.h"
#include "persistence/config_line.h"

namespace lintra::fuzzing {

inline void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// A message for the user: one line, not empty.
inline void checkMessage(const std::string& message) {
    check(!message.empty(), "failure without a message");
    check(message.find('\n') == std::string::npos, "message longer than one line");
}

// What parseConfig can produce: 16-bit lengths and thresholds, 8-bit flags, coefficients
// derived from the lengths.
inline void checkRestorable(const FilterSettings& s) {
    const std::int32_t halves[] = {
        s.yAverage,           s.uvAverage,          s.yHorizontalThreshold, s.uvHorizontalThreshold,
        s.yVerticalThreshold, s.uvVerticalThreshold};
    for (std::int32_t v : halves) check(v >= 0 && v <= 0xFFFF, "16-bit field out of range");
    for (std::int32_t v : {s.interlaced, s.testMode, s.rgbProcessing}) {
        check(v >= 0 && v <= 0xFF, "flag out of range");
    }
    check(s.yCoefficient == averagingCoefficient(s.yAverage), "luma coefficient not derived");
    check(s.uvCoefficient == averagingCoefficient(s.uvAverage), "chroma coefficient not derived");
}

// What the dialog's rules produce: lengths 1..1023, thresholds 0..511, flags 0 or 1,
// coefficients 0..255.
inline void checkDialogRanges(const FilterSettings& s) {
    for (std::int32_t length : {s.yAverage, s.uvAverage}) {
        check(length >= 1 && length <= 1023, "length outside the dialog's range");
    }
    for (std::int32_t t : {s.yHorizontalThreshold, s.yVerticalThreshold, s.uvHorizontalThreshold,
                           s.uvVerticalThreshold}) {
        check(t >= 0 && t <= 511, "threshold outside the dialog's range");
    }
    for (std::int32_t flag : {s.interlaced, s.testMode, s.rgbProcessing}) {
        check(flag == 0 || flag == 1, "flag other than 0 or 1");
    }
    for (std::int32_t c : {s.yCoefficient, s.uvCoefficient}) {
        check(c >= 0 && c <= 255, "coefficient outside 0..255");
    }
}

// The Config line of a record.
inline std::string lineOf(const FilterSettings& s) {
    char buffer[64];
    check(formatConfig(s, buffer, sizeof buffer), "formatConfig failed");
    return buffer;
}

}  // namespace lintra::fuzzing
