// A frei0r plug-in instance as a host drives it: any frame size, parameters set to any number
// (NaN and infinities too) or any text, at any index, and frames filtered in place or into a
// separate buffer of exactly the frame's size. Each frame equals what the literal reference
// makes of it with the settings the instance chose, alpha comes from the input, and the
// settings stay within what the dialog or a settings line can produce.

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/filter_settings.h"
#include "frei0r/plugin_instance.h"
#include "frei0r/plugin_params.h"
#include "fuzz/settings_checks.h"
#include "tests/reference/reference_filter.h"

namespace {

using namespace lintra;
using fuzzing::check;

constexpr unsigned kMaxSide = 24;

double pickNumber(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0:
            return std::numeric_limits<double>::quiet_NaN();
        case 1:
            return in.ConsumeBool() ? std::numeric_limits<double>::infinity()
                                    : -std::numeric_limits<double>::infinity();
        case 2:
            return in.ConsumeFloatingPoint<double>();
        case 3:
            return in.ConsumeProbability<double>();
        default:
            return in.ConsumeFloatingPointInRange(-2000.0, 2000.0);
    }
}

void filterFrame(FuzzedDataProvider& in, frei0r::PluginInstance& instance) {
    const std::size_t pixels = std::size_t(instance.width) * std::size_t(instance.height);
    std::vector<std::uint32_t> input(pixels);
    const auto seed = in.ConsumeIntegral<std::uint32_t>();
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint32_t line = (i / std::size_t(instance.width)) & 1 ? 0x0C0C0Cu : 0u;
        input[i] = (seed * 2654435761u + std::uint32_t(i) * 40503u) ^ line;
    }
    std::vector<std::uint32_t> expected(pixels);
    const FrameView source{reinterpret_cast<std::uint8_t*>(input.data()), instance.width,
                           instance.height, 0};
    reference::filterFrame(instance.filter.settings, source,
                           FrameView{reinterpret_cast<std::uint8_t*>(expected.data()),
                                     instance.width, instance.height, 0});
    for (std::size_t i = 0; i < pixels; ++i) {
        expected[i] = (expected[i] & 0x00FFFFFFu) | (input[i] & 0xFF000000u);
    }

    if (in.ConsumeBool()) {
        frei0r::updateFrame(instance, input.data(), input.data());
        check(input == expected, "in-place frame differs from the reference");
    } else {
        std::vector<std::uint32_t> output(pixels, 0xA5A5A5A5u);
        frei0r::updateFrame(instance, input.data(), output.data());
        check(output == expected, "frame differs from the reference");
    }
}

// The settings a frame is filtered with come from the dialog's ranges or from a settings text,
// whose options keep those ranges and whose lines anything a Config line can carry.
void checkSettings(const frei0r::PluginInstance& instance) {
    const FilterSettings& s = instance.filter.settings;
    if (instance.lineGiven) {
        fuzzing::checkRestorable(s);
        return;
    }
    fuzzing::checkDialogRanges(s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const unsigned width = in.ConsumeIntegralInRange(0u, kMaxSide);
    const unsigned height = in.ConsumeIntegralInRange(0u, kMaxSide);
    frei0r::PluginInstance* instance = frei0r::createInstance(width, height);
    check((instance != nullptr) == (width > 0 && height > 0), "construction result");
    if (instance == nullptr) return 0;

    for (int calls = 0; calls < 16 && in.remaining_bytes() > 0; ++calls) {
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: {
                const int index = in.ConsumeIntegralInRange(-2, frei0r::kParamCount + 2);
                frei0r::setNumberParam(*instance, index, pickNumber(in));
                const double back = frei0r::numberParam(*instance, index);
                check(back >= 0.0 && back <= 1.0, "parameter reads back outside [0, 1]");
                break;
            }
            case 1: {
                std::string text = in.ConsumeRandomLengthString(64);
                if (in.ConsumeBool()) text = "--" + text;  // the options form
                frei0r::setLineParam(*instance, in.ConsumeBool() ? text.c_str() : nullptr);
                break;
            }
            default:
                filterFrame(in, *instance);
                break;
        }
        checkSettings(*instance);
    }
    frei0r::destroyInstance(instance);
    return 0;
}
