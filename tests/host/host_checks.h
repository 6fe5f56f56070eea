#pragma once
// Pass/fail counting for the test host, which runs where no test framework is built.

#include <cstdint>
#include <cstdio>

namespace lintra::testhost {

struct Tally {
    int passed = 0;
    int failed = 0;
};

inline Tally& tally() {
    static Tally counts;
    return counts;
}

inline bool check(bool ok, const char* what) {
    if (ok) {
        ++tally().passed;
    } else {
        ++tally().failed;
        std::printf("FAILED: %s\n", what);
    }
    return ok;
}

inline bool checkEqual(std::int64_t got, std::int64_t want, const char* what) {
    if (got != want)
        std::printf("  %s: got %lld, want %lld\n", what, static_cast<long long>(got),
                    static_cast<long long>(want));
    return check(got == want, what);
}

}  // namespace lintra::testhost
