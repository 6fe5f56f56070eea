#pragma once
// Helpers for tests that run the built `lintra` binary on files in a scratch directory.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/filter_settings.h"

namespace lintra::test {

// A fresh directory under the system's temporary directory, removed with its contents.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> entries() const;

  private:
    std::filesystem::path path_;
};

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `lintra ARGS` through the shell, stdin from `stdinFile` (or /dev/null), output captured
// in `dir`. ARGS is shell text: quote what needs quoting.
RunResult runLintra(const ScratchDir& dir, const std::string& args,
                    const std::string& stdinFile = "");

// The path quoted for the shell, with a space in front: " 'path'".
std::string arg(const std::string& path);

std::vector<std::uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Deterministic bgr0 frames: a random picture with a small pattern alternating every line or
// every two lines, so every stage of the filter has work to do. Byte 3 is random too.
std::vector<std::uint8_t> patternedFrames(std::int32_t width, std::int32_t height, int frames,
                                          std::uint32_t seed);

// What the reference filter makes of each frame of a bgr0 stream.
std::vector<std::uint8_t> referenceOutput(const FilterSettings& settings,
                                          std::vector<std::uint8_t> frames, std::int32_t width,
                                          std::int32_t height);

}  // namespace lintra::test
