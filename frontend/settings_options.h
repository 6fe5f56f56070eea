#pragma once
// The settings options of the lintra command ("--luma-threshold 8", "--progressive",
// "--config LINE", ...), applied one at a time on top of a settings record with the dialog's
// rules. The command line and the plug-ins' settings texts both read them here.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/filter_settings.h"

namespace lintra {

enum class SettingsOption {
    none,    // not a settings option
    flag,    // --rgb, --yuv, --interlaced, --progressive, --test-mode
    valued,  // --config, --luma-length, --chroma-length, --luma-threshold, --chroma-threshold
};

// What kind of settings option `name` is (the name alone, without "=VALUE").
SettingsOption settingsOptionKind(std::string_view name);

// Applies one settings option; `value` is ignored for flags. Lengths and thresholds are
// clamped as the dialog clamps them; --config restores every setting from a saved line.
// False with a one-line message (which names the option) when the value is not usable; the
// settings are then untouched.
bool applySettingsOption(std::string_view name, const char* value, FilterSettings& settings,
                         std::string& error);

// The text with every control character (a newline in a quoted word, say) made a space, so
// that a message quoting it stays on one line.
std::string oneLine(std::string text);

// A non-negative decimal integer; values beyond 2^31 - 1 saturate to that largest value.
bool parseSettingNumber(const char* text, std::int32_t& value);

}  // namespace lintra
