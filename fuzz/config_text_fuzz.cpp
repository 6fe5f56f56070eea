// The settings line as the lintra command reads it (parseConfigText). A refused text leaves
// the record untouched and gets a one-line message; an accepted one restores a record that
// the Config line carries exactly: its own line reads back to the same record.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frontend/config_text.h"
#include "engine/filter_settings.h"
#include "fuzz/settings_checks.h"
#include "persistence/config_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lintra;
    const std::string text(reinterpret_cast<const char*>(data), size);  // stops at a zero byte

    FilterSettings out;
    std::memset(&out, 0x5C, sizeof out);
    const FilterSettings before = out;
    std::string error;
    if (!parseConfigText(text.c_str(), out, error)) {
        fuzzing::check(std::memcmp(&out, &before, sizeof out) == 0, "refused text wrote settings");
        fuzzing::checkMessage(error);
        return 0;
    }
    fuzzing::checkRestorable(out);

    FilterSettings again;
    std::memset(&again, 0x3A, sizeof again);
    std::string againError;
    const std::string line = fuzzing::lineOf(out);
    fuzzing::check(parseConfigText(line.c_str(), again, againError), "own Config line refused");
    fuzzing::check(std::memcmp(&out, &again, sizeof out) == 0, "own Config line differs");
    return 0;
}
