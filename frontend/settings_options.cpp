#include "frontend/settings_options.h"

#include <limits>

#include "frontend/config_text.h"
#include "frontend/settings_rules.h"

namespace lintra {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool applyFlag(std::string_view name, FilterSettings& s) {
    if (name == "--rgb") {
        s.rgbProcessing = 1;
    } else if (name == "--yuv") {
        s.rgbProcessing = 0;
    } else if (name == "--interlaced") {
        s.interlaced = 1;
    } else if (name == "--progressive") {
        s.interlaced = 0;
    } else if (name == "--test-mode") {
        s.testMode = 1;
    } else {
        return false;
    }
    return true;
}

// Options that change one setting the way the dialog would.
bool applyNumber(std::string_view name, std::int32_t n, FilterSettings& s) {
    if (name == "--luma-length") {
        s.yAverage = n;
        clampLength(s.yAverage, s.yCoefficient);
    } else if (name == "--chroma-length") {
        s.uvAverage = n;
        clampLength(s.uvAverage, s.uvCoefficient);
    } else if (name == "--luma-threshold") {
        s.yVerticalThreshold = s.yHorizontalThreshold = clampThreshold(n);
    } else if (name == "--chroma-threshold") {
        s.uvVerticalThreshold = s.uvHorizontalThreshold = clampThreshold(n);
    } else {
        return false;
    }
    return true;
}

}  // namespace

SettingsOption settingsOptionKind(std::string_view name) {
    for (const char* flag : {"--rgb", "--yuv", "--interlaced", "--progressive", "--test-mode"}) {
        if (name == flag) return SettingsOption::flag;
    }
    for (const char* valued : {"--config", "--luma-length", "--chroma-length", "--luma-threshold",
                               "--chroma-threshold"}) {
        if (name == valued) return SettingsOption::valued;
    }
    return SettingsOption::none;
}

bool applySettingsOption(std::string_view name, const char* value, FilterSettings& settings,
                         std::string& error) {
    if (applyFlag(name, settings)) return true;
    const std::string shown = oneLine(value != nullptr ? value : "");
    if (name == "--config") {
        if (parseConfigText(value, settings, error)) return true;
        error = "--config: " + error;
        return false;
    }
    std::int32_t n = 0;
    if (settingsOptionKind(name) == SettingsOption::none) {
        error = oneLine(std::string(name)) + " is not a settings option";
        return false;
    }
    if (!parseSettingNumber(value, n)) {
        error = std::string(name) + " needs a non-negative integer, got '" + shown + "'";
        return false;
    }
    return applyNumber(name, n, settings);
}

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    return text;
}

bool parseSettingNumber(const char* text, std::int32_t& value) {
    if (text == nullptr || !isDigit(*text)) return false;
    std::int64_t n = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (!isDigit(*p)) return false;
        n = n * 10 + (*p - '0');
        if (n > std::numeric_limits<std::int32_t>::max())
            n = std::numeric_limits<std::int32_t>::max();
    }
    value = static_cast<std::int32_t>(n);
    return true;
}

}  // namespace lintra
