#include "cli/help_text.h"

#include "lintra_version.h"

namespace lintra {

const char* helpText() {
    return "lintra " LINTRA_VERSION_STRING
           ", the line-comb filter\n\n"
           R"HELP(Usage: lintra [options] INPUT OUTPUT
  or:  lintra [options] --print-config
  or:  lintra video INPUT OUTPUT [options]
  or:  lintra suggest INPUT [--frames N] [--report FILE.png]

Removes small line-alternating patterns (dot crawl, cross-colour, residual combing) from
pictures while leaving real vertical detail alone. Without --size, INPUT and OUTPUT are PNG
files (8-bit RGB or RGBA; grey and palette pictures are read as RGB, 16-bit ones reduced to
8 bits); alpha passes through untouched. "-" reads standard input / writes standard output.

Raw frames:
  --size WxH          INPUT and OUTPUT are raw 32-bit frames of W x H pixels, bytes B,G,R,X
                      (ffmpeg's bgr0), rows without gaps, as many frames as the stream holds.

Settings (applied in command-line order on top of the defaults):
  --config LINE       all settings from a saved line, "Config(a, b, c, d)" or "a, b, c, d";
                      each integer -2147483648..4294967295, taken as it is (no range checks)
  --yuv / --rgb       filter luma and chroma separately (default) / R, G, B as one vector
  --interlaced        compare a line with the lines two above and below (default): for
                      captures whose pattern repeats every second line, as in woven fields
  --progressive       compare a line with its neighbours
  --test-mode         output the detected pattern on mid-grey instead of the corrected picture
  --luma-length N     horizontal averaging length for luma / RGB, 1..1023 (default 10)
  --chroma-length N   horizontal averaging length for chroma, 1..1023 (default 3)
  --luma-threshold N  largest luma / RGB departure taken for a pattern, 0..511 (default 5)
  --chroma-threshold N  the same for chroma, 0..511 (default 20)
                      Lengths and thresholds outside these ranges are clamped to them.
  --print-config      print the resulting "Config(...)" line; with INPUT and OUTPUT it goes
                      to standard error and the file is filtered as well

Other:
  --cpu=LEVEL                the highest instruction set to use: scalar, sse2, avx2 or
                             avx512 (default: the best this processor has; the
                             environment variable LINTRA_CPU sets the same). Every level
                             gives the same output.
  --write-sample FILE        write the built-in sample picture (PNG) and exit
  --write-clean-sample FILE  the same picture without its added pattern
  --measure FILE             print the pattern strength of a PNG: the mean over R, G, B of
                             |(line above + line below) / 2 - line| in 8-bit steps, lines
                             n apart (n = 2 interlaced, 1 with --progressive), departures
                             above 32 steps counted as 0 (they are picture detail)
  -h, --help                 this text
  --version                  print the version, the CPU level the filter would use
                             (after --cpu or LINTRA_CPU) and the levels built in

Exit status: 0 success, 1 input/output error, 2 usage error.

Examples:
  lintra capture.png clean.png
  lintra --luma-threshold 8 --chroma-threshold 30 capture.png clean.png
  lintra --config "Config(655363, 327700, 327700, 16777216)" --test-mode in.png pattern.png
  ffmpeg -i in.avi -f rawvideo -pix_fmt bgr0 - |
    lintra --size 720x576 - - |
    ffmpeg -f rawvideo -pix_fmt bgr0 -s 720x576 -r 25 -i - -c:v ffv1 out.mkv
)HELP";
}

}  // namespace lintra
