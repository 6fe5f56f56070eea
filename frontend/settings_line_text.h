#pragma once
// A saved settings line as a plug-in's text parameter takes it. Filter graphs (ffmpeg's reserve
// ',', ':' and '|') make commas awkward, so besides "Config(a, b, c, d)" the four integers may
// be separated by spaces, ';', '/' or ','.

#include <string>

#include "engine/filter_settings.h"

namespace lintra {

// True when the text is blank: the parameter is then not given.
bool isBlankLine(const char* text);

// Rewrites any accepted form as "Config(a, b, c, d)"; false with a message when the text is
// not four separated tokens (with or without the Config( ) around them).
bool canonicalLine(const char* text, std::string& line, std::string& error);

// The settings a line restores, coefficients derived from the lengths; false with a message
// when the text is not a settings line.
bool settingsFromLine(const char* text, FilterSettings& out, std::string& error);

}  // namespace lintra
