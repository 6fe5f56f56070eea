#pragma once
// Reads a settings line as a user types or pastes it: "Config(a, b, c, d)" or just "a, b, c, d".

#include <string>

#include "engine/filter_settings.h"

namespace lintra {

// Parses the text and restores every setting through parseConfig (no range checks, the
// coefficients derived from the lengths). Each integer may be written as a signed 32-bit value
// or as 0..4294967295, read as the unsigned word. Whitespace is free around every token and a
// trailing ';' is accepted. On failure returns false, leaves `out` untouched and describes the
// problem in `error` (one line, no trailing newline).
bool parseConfigText(const char* text, FilterSettings& out, std::string& error);

}  // namespace lintra
