#include "cli/video_codec.h"

#include <gtest/gtest.h>

namespace {

using lintra::video::chooseEncoder;

// The value following an option in the encoder's arguments, or "" when absent.
std::string option(const std::vector<std::string>& args, const std::string& name) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name) return args[i + 1];
    }
    return "";
}

struct CodecCase {
    const char* output;
    const char* codec;
    const char* encoder;
    const char* pixelFormat;
};

class CodecTest : public ::testing::TestWithParam<CodecCase> {};

TEST_P(CodecTest, ChoosesByExtensionUnlessNamed) {
    const CodecCase& c = GetParam();
    const auto choice = chooseEncoder(c.output, c.codec);
    EXPECT_EQ(option(choice.args, "-c:v"), c.encoder);
    EXPECT_EQ(option(choice.args, "-pix_fmt"), c.pixelFormat);
}

INSTANTIATE_TEST_SUITE_P(Outputs, CodecTest,
                         ::testing::Values(CodecCase{"a.mp4", "", "libx264", "yuv420p"},
                                           CodecCase{"dir.v1/A.MKV", "", "libx264", "yuv420p"},
                                           CodecCase{"a.mov", "", "libx264", "yuv420p"},
                                           CodecCase{"a.webm", "", "libvpx-vp9", "yuv420p"},
                                           CodecCase{"a.avi", "", "ffv1", "bgr0"},
                                           CodecCase{"a.nut", "", "ffv1", "bgr0"},
                                           CodecCase{"a.ts", "", "", ""},
                                           CodecCase{"dir.d/noext", "", "", ""},
                                           CodecCase{"a.mp4", "ffv1", "ffv1", "bgr0"},
                                           CodecCase{"a.mkv", "rawvideo", "rawvideo", "bgr0"},
                                           CodecCase{"a.avi", "libx264", "libx264", "yuv420p"},
                                           CodecCase{"a.mkv", "prores_ks", "prores_ks", ""}));

TEST(Subtitles, CopiedUnlessTheContainerNeedsItsOwnFormat) {
    EXPECT_EQ(lintra::video::subtitleCodec("a.mkv"), "copy");
    EXPECT_EQ(lintra::video::subtitleCodec("a.MP4"), "mov_text");
    EXPECT_EQ(lintra::video::subtitleCodec("a.mov"), "mov_text");
    EXPECT_EQ(lintra::video::subtitleCodec("a.webm"), "webvtt");
    EXPECT_EQ(lintra::video::subtitleCodec("a.avi"), "copy");
}

TEST(Extension, IsLowerCaseAndOnlyTheFileNames) {
    EXPECT_EQ(lintra::video::lowerExtension("x/Clip.MkV"), "mkv");
    EXPECT_EQ(lintra::video::lowerExtension("x.y/clip"), "");
    EXPECT_EQ(lintra::video::lowerExtension(".hidden"), "");
}

}  // namespace
