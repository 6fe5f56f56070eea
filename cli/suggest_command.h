#pragma once
// `lintra suggest INPUT`: settings recommended for a capture, from a sample of its frames.

#include <string>

#include "cli/suggest_estimate.h"

namespace lintra {

// argv[0] is the program, argv[1] "suggest". Returns the exit status.
int runSuggestCommand(int argc, char** argv);

// The suggestion as the command's settings options, e.g. "--interlaced --luma-length 1 ...".
std::string suggestionOptions(const Suggestion& suggestion);

// The one or two lines of measurements behind a suggestion.
std::string suggestionMeasurements(const SuggestStats& stats, const Suggestion& suggestion);

// Reads a sample of `frames` frames of INPUT and estimates settings: what `lintra video
// --suggest` uses. The first sample frame goes to `firstFrame` when given. False with a
// message when INPUT cannot be read.
bool suggestForInput(const std::string& input, std::int32_t frames, SuggestStats& stats,
                     Suggestion& suggestion, std::string& error, Picture* firstFrame = nullptr);

// `lintra video --suggest`: replaces `settings` by the suggestion for INPUT (test mode kept)
// and prints it to standard error. False with a message when INPUT cannot be read.
bool applySuggestion(const std::string& input, FilterSettings& settings, std::string& error);

}  // namespace lintra
