#pragma once
// Output written beside its destination and renamed into place only when complete, so a
// failure never leaves a half-written file under the output's name.

#include <cstdio>
#include <string>

namespace lintra {

struct AtomicOutput {
    std::string path;      // the name the finished file gets
    std::string tempPath;  // where it is written meanwhile, in the same directory
    std::FILE* file = nullptr;
};

// Creates the temporary file. On failure `error` names the output and the reason.
bool openAtomicOutput(const std::string& path, AtomicOutput& out, std::string& error);

// Flushes, closes and renames the file into place; on any failure removes it.
bool commitAtomicOutput(AtomicOutput& out, std::string& error);

// Closes and removes the temporary file.
void abandonAtomicOutput(AtomicOutput& out);

}  // namespace lintra
