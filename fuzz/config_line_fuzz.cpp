// The Config line both ways: any four integers restore a record that writes back the same
// line; any record writes a line that parses; any buffer length is kept to.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/filter_settings.h"
#include "persistence/config_line.h"

namespace {

using lintra::FilterSettings;

constexpr std::size_t kLongestLine = 58;  // "Config(" + 4 * "-2147483648" + 3 * ", " + ")"

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "config line: %s\n", what);
        std::abort();
    }
}

std::string format(const FilterSettings& s) {
    char buffer[kLongestLine + 8];
    std::memset(buffer, 'x', sizeof buffer);
    check(lintra::formatConfig(s, buffer, sizeof buffer), "a roomy buffer must succeed");
    const std::string line(buffer);
    check(line.size() <= kLongestLine, "line longer than 58 characters");
    return line;
}

// Reads the four integers back the way the host's script interpreter would.
FilterSettings parseLine(const std::string& line) {
    int a = 0, b = 0, c = 0, d = 0;
    int consumed = 0;
    const int fields =
        std::sscanf(line.c_str(), "Config(%d, %d, %d, %d)%n", &a, &b, &c, &d, &consumed);
    check(fields == 4 && static_cast<std::size_t>(consumed) == line.size(), "line does not parse");
    FilterSettings s{};
    lintra::parseConfig(s, a, b, c, d);
    return s;
}

bool sameRecord(const FilterSettings& x, const FilterSettings& y) {
    return std::memcmp(&x, &y, sizeof x) == 0;
}

void checkUnpacked(const FilterSettings& s, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                   std::uint32_t d) {
    check(s.yAverage == static_cast<std::int32_t>(a >> 16) &&
              s.uvAverage == static_cast<std::int32_t>(a & 0xFFFF),
          "lengths");
    check(s.yHorizontalThreshold == static_cast<std::int32_t>(b >> 16) &&
              s.uvHorizontalThreshold == static_cast<std::int32_t>(b & 0xFFFF) &&
              s.yVerticalThreshold == static_cast<std::int32_t>(c >> 16) &&
              s.uvVerticalThreshold == static_cast<std::int32_t>(c & 0xFFFF),
          "thresholds");
    check(s.interlaced == static_cast<std::int32_t>(d >> 24) &&
              s.testMode == static_cast<std::int32_t>((d >> 16) & 0xFF) &&
              s.rgbProcessing == static_cast<std::int32_t>((d >> 8) & 0xFF),
          "flags");
    check(s.yCoefficient == lintra::averagingCoefficient(s.yAverage) &&
              s.uvCoefficient == lintra::averagingCoefficient(s.uvAverage),
          "coefficients");
    check(s.yCoefficient >= 0 && s.yCoefficient <= 255 && s.uvCoefficient >= 0 &&
              s.uvCoefficient <= 255,
          "coefficient range");
}

// Four integers → record → line → record: the same record, and the line names the integers.
void roundTripIntegers(FuzzedDataProvider& in) {
    const auto a = in.ConsumeIntegral<std::int32_t>();
    const auto b = in.ConsumeIntegral<std::int32_t>();
    const auto c = in.ConsumeIntegral<std::int32_t>();
    const auto d = in.ConsumeIntegral<std::int32_t>();
    FilterSettings s{};
    lintra::parseConfig(s, a, b, c, d);
    checkUnpacked(s, static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b),
                  static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(d));
    const std::string line = format(s);
    char expected[kLongestLine + 8];
    std::snprintf(expected, sizeof expected, "Config(%d, %d, %d, %d)", a, b, c,
                  static_cast<int>(static_cast<std::uint32_t>(d) & ~0xFFu));
    check(line == expected, "line does not carry the four integers");
    check(sameRecord(parseLine(line), s), "record does not round-trip");
}

// Any record, even one no writer of settings produces, writes a line that parses; the record
// it restores writes the same line again.
void anyRecord(FuzzedDataProvider& in) {
    FilterSettings s{};
    in.ConsumeData(&s, sizeof s);
    const std::string line = format(s);
    const FilterSettings restored = parseLine(line);
    check(format(restored) == line, "restored record writes a different line");
}

// Exactly `length` bytes from the heap, so a write past the end is caught.
void bufferLength(FuzzedDataProvider& in) {
    FilterSettings s{};
    in.ConsumeData(&s, sizeof s);
    const std::string full = format(s);
    const auto length = in.ConsumeIntegralInRange<std::size_t>(0, kLongestLine + 4);
    auto buffer = std::make_unique<char[]>(length == 0 ? 1 : length);
    std::memset(buffer.get(), 'x', length == 0 ? 1 : length);
    const bool fits = full.size() + 1 <= length;
    const bool ok = lintra::formatConfig(s, buffer.get(), length);
    check(ok == fits, "result does not say whether the line fit");
    if (fits) check(full == buffer.get(), "line differs in a buffer that fits it");
    if (!fits && length >= 1) check(buffer[0] == '\0', "cut line left in the buffer");
    if (length == 0) check(buffer[0] == 'x', "zero-length buffer written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            roundTripIntegers(in);
            break;
        case 1:
            anyRecord(in);
            break;
        default:
            bufferLength(in);
            break;
    }
    return 0;
}
