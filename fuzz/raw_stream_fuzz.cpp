// The raw-frame path of the lintra command: a frame size as typed after --size, then a stream
// of any length. Whole frames come out filtered exactly as the reference filters them; a
// stream that ends inside a frame gets status 1 after the whole frames before it.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/raw_command.h"
#include "engine/filter_settings.h"
#include "fuzz/memory_file.h"
#include "fuzz/settings_checks.h"
#include "tests/reference/reference_filter.h"

namespace {

using lintra::fuzzing::check;

constexpr std::int64_t kMaxFuzzedFramePixels = 1024;  // keeps the reference fast

lintra::FilterSettings pickSettings(FuzzedDataProvider& in) {
    lintra::FilterSettings s{};
    lintra::parseConfig(s, in.ConsumeIntegral<std::int32_t>(), in.ConsumeIntegral<std::int32_t>(),
                        in.ConsumeIntegral<std::int32_t>(), in.ConsumeIntegral<std::int32_t>());
    return s;
}

// The frames the command must write for this stream.
std::string expectedOutput(const lintra::FilterSettings& settings, std::int32_t w, std::int32_t h,
                           const std::string& stream) {
    const std::size_t frameBytes = std::size_t(w) * std::size_t(h) * 4;
    std::string out;
    std::vector<std::uint8_t> in(frameBytes);
    std::vector<std::uint8_t> filtered(frameBytes);
    for (std::size_t at = 0; at + frameBytes <= stream.size(); at += frameBytes) {
        std::memcpy(in.data(), stream.data() + at, frameBytes);
        lintra::reference::filterFrame(settings, lintra::FrameView{in.data(), w, h, 0},
                                       lintra::FrameView{filtered.data(), w, h, 0});
        out.append(reinterpret_cast<const char*>(filtered.data()), frameBytes);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static lintra::fuzzing::MemoryFile input("raw-in");
    static lintra::fuzzing::MemoryFile output("raw-out");
    FuzzedDataProvider in(data, size);
    const std::string sizeText = in.ConsumeRandomLengthString(16);
    lintra::CliOptions options;
    if (!lintra::parseFrameSize(sizeText.c_str(), options.rawWidth, options.rawHeight)) return 0;
    check(options.rawWidth > 0 && options.rawHeight > 0, "accepted a size without pixels");
    if (std::int64_t{options.rawWidth} * options.rawHeight > kMaxFuzzedFramePixels) return 0;

    options.settings = pickSettings(in);
    options.raw = true;
    const std::string stream = in.ConsumeRemainingBytesAsString();
    input.assign(reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size());
    options.input = input.path();
    options.output = output.path();

    const int status = lintra::runRawCommand(options);
    const std::size_t frameBytes =
        std::size_t(options.rawWidth) * std::size_t(options.rawHeight) * 4;
    check(status == (stream.size() % frameBytes == 0 ? 0 : 1), "wrong status for the stream");
    check(output.contents() ==
              expectedOutput(options.settings, options.rawWidth, options.rawHeight, stream),
          "output differs from the reference");
    return 0;
}
