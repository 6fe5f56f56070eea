#include "persistence/config_line.h"

#include <cstdio>
#include <cstring>

namespace lintra {
namespace {

// "Config(" + four signed 32-bit numbers + separators: at most 58 characters and a zero.
constexpr std::size_t kConfigLineCapacity = 64;

// Two 16-bit halves joined by addition in unsigned arithmetic, printed as the same word read
// as signed: every record parseConfig can produce comes back unchanged.
std::int32_t joinHalves(std::int32_t high, std::int32_t low) {
    const std::uint32_t word =
        static_cast<std::uint32_t>(high) * 65536u + static_cast<std::uint32_t>(low);
    return static_cast<std::int32_t>(word);
}

std::int32_t joinFlags(const FilterSettings& s) {
    const std::uint32_t word = ((static_cast<std::uint32_t>(s.interlaced) * 256u +
                                 static_cast<std::uint32_t>(s.testMode)) *
                                    256u +
                                static_cast<std::uint32_t>(s.rgbProcessing)) *
                               256u;
    return static_cast<std::int32_t>(word);
}

std::int32_t highHalf(std::uint32_t word) {
    return static_cast<std::int32_t>(word >> 16);
}
std::int32_t lowHalf(std::uint32_t word) {
    return static_cast<std::int32_t>(word & 0xFFFFu);
}
std::int32_t byteAt(std::uint32_t word, int shift) {
    return static_cast<std::int32_t>((word >> shift) & 0xFFu);
}

}  // namespace

bool formatConfig(const FilterSettings& settings, char* buffer, std::size_t length) {
    if (buffer == nullptr || length == 0) return false;
    // Formatted aside first, so a buffer too short for the whole line receives none of it.
    char line[kConfigLineCapacity];
    const int written = std::snprintf(
        line, sizeof line, "Config(%d, %d, %d, %d)",
        static_cast<int>(joinHalves(settings.yAverage, settings.uvAverage)),
        static_cast<int>(joinHalves(settings.yHorizontalThreshold, settings.uvHorizontalThreshold)),
        static_cast<int>(joinHalves(settings.yVerticalThreshold, settings.uvVerticalThreshold)),
        static_cast<int>(joinFlags(settings)));
    if (written < 0 || static_cast<std::size_t>(written) >= length) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, line, static_cast<std::size_t>(written) + 1);
    return true;
}

void parseConfig(FilterSettings& settings, std::int32_t a, std::int32_t b, std::int32_t c,
                 std::int32_t d) {
    const auto wa = static_cast<std::uint32_t>(a);
    const auto wb = static_cast<std::uint32_t>(b);
    const auto wc = static_cast<std::uint32_t>(c);
    const auto wd = static_cast<std::uint32_t>(d);
    settings.yAverage = highHalf(wa);
    settings.uvAverage = lowHalf(wa);
    settings.yHorizontalThreshold = highHalf(wb);
    settings.uvHorizontalThreshold = lowHalf(wb);
    settings.yVerticalThreshold = highHalf(wc);
    settings.uvVerticalThreshold = lowHalf(wc);
    settings.interlaced = byteAt(wd, 24);
    settings.testMode = byteAt(wd, 16);
    settings.rgbProcessing = byteAt(wd, 8);
    settings.yCoefficient = averagingCoefficient(settings.yAverage);
    settings.uvCoefficient = averagingCoefficient(settings.uvAverage);
}

}  // namespace lintra
