#include "tests/cli/cli_test_support.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "engine/frame_view.h"
#include "tests/reference/reference_filter.h"

namespace lintra::test {

ScratchDir::ScratchDir() {
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("lintra-cli-" + std::to_string(seed()));
        if (std::filesystem::create_directory(path_)) break;
    }
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchDir::entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) {
        names.push_back(e.path().filename().string());
    }
    return names;
}

std::string arg(const std::string& path) {
    std::string quoted(" '");
    quoted.append(path);
    quoted.push_back('\'');
    return quoted;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

RunResult runLintra(const ScratchDir& dir, const std::string& args, const std::string& stdinFile) {
    const std::string outFile = dir.file(".run-stdout");
    const std::string errFile = dir.file(".run-stderr");
    const std::string in = stdinFile.empty() ? "/dev/null" : stdinFile;
    const std::string command = std::string("'") + LINTRA_BINARY + "' " + args + " <'" + in +
                                "' >'" + outFile + "' 2>'" + errFile + "'";
    const int status = std::system(command.c_str());
    RunResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto out = readBytes(outFile);
    const auto err = readBytes(errFile);
    r.out.assign(out.begin(), out.end());
    r.err.assign(err.begin(), err.end());
    std::filesystem::remove(outFile);
    std::filesystem::remove(errFile);
    return r;
}

std::vector<std::uint8_t> patternedFrames(std::int32_t width, std::int32_t height, int frames,
                                          std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> base(20, 235);
    std::uniform_int_distribution<int> wobble(-6, 6);
    std::uniform_int_distribution<int> any(0, 255);
    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> bytes(pixels * 4 * static_cast<std::size_t>(frames));
    for (int f = 0; f < frames; ++f) {
        const int period = f % 2 == 0 ? 1 : 2;  // line by line, then field by field
        const int b = base(rng), g = base(rng), r = base(rng);
        for (std::int32_t y = 0; y < height; ++y) {
            const int sign = (y / period) % 2 == 0 ? 1 : -1;
            for (std::int32_t x = 0; x < width; ++x) {
                const std::size_t i = (static_cast<std::size_t>(f) * pixels +
                                       static_cast<std::size_t>(y * width + x)) *
                                      4;
                const int detail = (x / 7 + y / 5) % 5 == 0 ? 60 : 0;
                bytes[i] = static_cast<std::uint8_t>(b + sign * 3 + wobble(rng) / 3);
                bytes[i + 1] = static_cast<std::uint8_t>(g + sign * 2 - detail / 3);
                bytes[i + 2] = static_cast<std::uint8_t>(r - sign * 4 + wobble(rng));
                bytes[i + 3] = static_cast<std::uint8_t>(any(rng));
                if (r + detail <= 255)
                    bytes[i + 2] = static_cast<std::uint8_t>(bytes[i + 2] + detail);
            }
        }
    }
    return bytes;
}

std::vector<std::uint8_t> referenceOutput(const FilterSettings& settings,
                                          std::vector<std::uint8_t> frames, std::int32_t width,
                                          std::int32_t height) {
    const std::size_t frameBytes =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    std::vector<std::uint8_t> out(frames.size());
    for (std::size_t at = 0; at + frameBytes <= frames.size(); at += frameBytes) {
        const FrameView source{frames.data() + at, width, height, 0};
        const FrameView destination{out.data() + at, width, height, 0};
        reference::filterFrame(settings, source, destination);
    }
    return out;
}

}  // namespace lintra::test
