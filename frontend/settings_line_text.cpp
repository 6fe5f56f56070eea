#include "frontend/settings_line_text.h"

#include <string_view>
#include <vector>

#include "frontend/config_text.h"

namespace lintra {
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
    if (parseConfigText(line.c_str(), out, error)) return true;
    error = "settings line: " + error;
    return false;
}

}  // namespace lintra
