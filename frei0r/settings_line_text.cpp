#include "frei0r/settings_line_text.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "persistence/config_line.h"

namespace lintra::frei0r {
namespace {

constexpr std::string_view kSeparators = " \t\r\n;/,";
constexpr std::string_view kBlank = " \t\r\n";
constexpr std::string_view kPrefix = "Config";

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(kBlank);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(kBlank);
    return s.substr(first, last - first + 1);
}

// The inside of "Config( ... )", or the text itself when it has no such wrapper.
bool unwrapped(std::string_view text, std::string_view& inside) {
    if (text.substr(0, kPrefix.size()) != kPrefix) {
        inside = text;
        return true;
    }
    const std::string_view rest = trimmed(text.substr(kPrefix.size()));
    if (rest.size() < 2 || rest.front() != '(' || rest.back() != ')') return false;
    inside = rest.substr(1, rest.size() - 2);
    return true;
}

std::vector<std::string_view> tokens(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < s.size()) {
        const auto start = s.find_first_not_of(kSeparators, at);
        if (start == std::string_view::npos) break;
        auto end = s.find_first_of(kSeparators, start);
        if (end == std::string_view::npos) end = s.size();
        out.push_back(s.substr(start, end - start));
        at = end;
    }
    return out;
}

// A decimal 32-bit word, written signed or unsigned (the line prints it signed).
bool wordFromToken(std::string_view token, std::int32_t& out) {
    const std::string text(token);
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0') return false;
    if (v < INT32_MIN || v > static_cast<long long>(UINT32_MAX)) return false;
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return true;
}

}  // namespace

bool isBlankLine(const char* text) {
    return text == nullptr || trimmed(std::string_view(text)).empty();
}

bool canonicalLine(const char* text, std::string& line, std::string& error) {
    std::string_view inside;
    if (text == nullptr || !unwrapped(trimmed(text), inside)) {
        error = "settings line: expected Config(a, b, c, d) or four integers";
        return false;
    }
    const auto parts = tokens(inside);
    if (parts.size() != 4) {
        error = "settings line: expected four integers, found " + std::to_string(parts.size());
        return false;
    }
    line = "Config(";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) line += ", ";
        line += parts[i];
    }
    line += ")";
    return true;
}

bool settingsFromLine(const char* text, FilterSettings& out, std::string& error) {
    std::string line;
    if (!canonicalLine(text, line, error)) return false;
    const auto parts =
        tokens(std::string_view(line).substr(kPrefix.size() + 1, line.size() - kPrefix.size() - 2));
    std::int32_t w[4];
    for (std::size_t i = 0; i < 4; ++i) {
        if (!wordFromToken(parts[i], w[i])) {
            error = "settings line: '" + std::string(parts[i]) + "' is not a 32-bit integer";
            return false;
        }
    }
    parseConfig(out, w[0], w[1], w[2], w[3]);
    return true;
}

}  // namespace lintra::frei0r
