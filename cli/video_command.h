#pragma once
// `lintra video ...`: filtering whole video files.

namespace lintra {

// argv[0] is the program, argv[1] "video". Returns the exit status.
int runVideoCommand(int argc, char** argv);

}  // namespace lintra
