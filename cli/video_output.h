#pragma once
// The output of lintra video is written to a hidden temporary file beside it and renamed into
// place only when everything succeeded, so a failed or interrupted run never leaves a file
// that looks complete.

#include <string>

namespace lintra::video {

struct OutputFile {
    std::string path;      // where the result goes
    std::string tempPath;  // what ffmpeg writes; "" once committed or discarded
};

// Creates ".NAME.lintra-XXXXXX.EXT" beside `path` (same extension, so ffmpeg picks the same
// container), with the permissions a new file would get. False with a message.
bool createTempOutput(const std::string& path, OutputFile& out, std::string& error);

// Renames the temporary file to the output. False with a message (the temporary is removed).
bool commitOutput(OutputFile& out, std::string& error);

// Removes the temporary file; harmless when there is none.
void discardOutput(OutputFile& out);

// True when both paths name the same existing file.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace lintra::video
