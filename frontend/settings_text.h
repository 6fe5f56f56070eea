#pragma once
// A plug-in's settings text: either a saved settings line in any form settings_line_text
// accepts, or the lintra command's settings options as typed on its command line
// ("--luma-threshold 8 --chroma-threshold 30 --progressive"), read by the command's own code.

#include <string>

#include "engine/filter_settings.h"

namespace lintra {

// True when the text is empty or only whitespace: the plug-in's single parameters apply.
bool isBlankSettingsText(const char* text);

// The settings the text gives. Options start from the defaults and apply in order, with the
// dialog's rules; a settings line restores every setting. Words are separated by whitespace;
// a value with spaces may be quoted with ' or ". False with a one-line message, `out`
// untouched, when the text is neither.
bool settingsFromText(const char* text, FilterSettings& out, std::string& error);

}  // namespace lintra
