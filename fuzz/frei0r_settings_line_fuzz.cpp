// The settings line as the frei0r plug-in reads it (its settings-line parameter). Rewriting
// takes any four tokens, reading only four integers; an accepted line restores a record the
// Config line carries exactly, and its rewritten form and its own Config line read back to it.

#include <cstdint>
#include <cstring>
#include <string>

#include "engine/filter_settings.h"
#include "frei0r/settings_line_text.h"
#include "fuzz/settings_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lintra;
    const std::string text(reinterpret_cast<const char*>(data), size);  // stops at a zero byte

    (void)frei0r::isBlankLine(text.c_str());
    FilterSettings out{};
    std::string error;
    const bool read = frei0r::settingsFromLine(text.c_str(), out, error);
    std::string canonical;
    std::string canonicalError;
    const bool rewritten = frei0r::canonicalLine(text.c_str(), canonical, canonicalError);
    if (!rewritten) fuzzing::checkMessage(canonicalError);
    if (!read) {
        fuzzing::checkMessage(error);
        return 0;
    }
    fuzzing::check(rewritten, "a line that reads cannot be rewritten");
    fuzzing::checkRestorable(out);

    for (const std::string& line : {canonical, fuzzing::lineOf(out)}) {
        FilterSettings again{};
        std::string againError;
        fuzzing::check(frei0r::settingsFromLine(line.c_str(), again, againError),
                       "rewritten or own line refused");
        fuzzing::check(std::memcmp(&out, &again, sizeof out) == 0, "line reads back different");
    }
    return 0;
}
