#pragma once
// The settings as one line of the host's script language: "Config(a, b, c, d)".

#include <cstddef>
#include <cstdint>

#include "engine/filter_settings.h"

namespace lintra {

// Writes the line and its terminating zero into buffer[0..length). Returns false, leaving an
// empty string when there is room for one, if the whole line does not fit: a cut line would
// restore wrong settings.
bool formatConfig(const FilterSettings& settings, char* buffer, std::size_t length);

// Restores all eleven fields from the four integers of a Config call, each read as an
// unsigned 32-bit word; the coefficients are derived from the lengths.
void parseConfig(FilterSettings& settings, std::int32_t a, std::int32_t b, std::int32_t c,
                 std::int32_t d);

}  // namespace lintra
