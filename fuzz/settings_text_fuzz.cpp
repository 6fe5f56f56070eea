// A plug-in's settings text: any text either gives settings or is refused with one line and the
// record untouched. Accepted settings are what a Config line can carry, and their own line reads
// back to them; a text that reads as a saved line also reads back from its rewritten form.

#include <cstdint>
#include <cstring>
#include <string>

#include "engine/filter_settings.h"
#include "frontend/settings_line_text.h"
#include "frontend/settings_text.h"
#include "fuzz/settings_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lintra;
    const std::string text(reinterpret_cast<const char*>(data), size);  // stops at a zero byte

    (void)isBlankSettingsText(text.c_str());
    FilterSettings out;
    std::memset(&out, 0x5C, sizeof out);
    const FilterSettings before = out;
    std::string error;
    if (!settingsFromText(text.c_str(), out, error)) {
        fuzzing::check(std::memcmp(&out, &before, sizeof out) == 0, "refused text wrote settings");
        fuzzing::checkMessage(error);
        return 0;
    }
    fuzzing::checkRestorable(out);

    // Read as a saved line, the text must also read back from its rewritten form.
    FilterSettings asLine{};
    std::string lineError;
    if (settingsFromLine(text.c_str(), asLine, lineError)) {
        std::string canonical;
        fuzzing::check(canonicalLine(text.c_str(), canonical, lineError), "line not rewritten");
        FilterSettings again{};
        fuzzing::check(settingsFromLine(canonical.c_str(), again, lineError),
                       "rewritten line refused");
        fuzzing::check(std::memcmp(&asLine, &again, sizeof asLine) == 0, "rewritten line differs");
    }
    FilterSettings own{};
    std::string ownError;
    fuzzing::check(settingsFromText(fuzzing::lineOf(out).c_str(), own, ownError),
                   "own Config line refused");
    fuzzing::check(std::memcmp(&out, &own, sizeof out) == 0, "own Config line differs");
    return 0;
}
