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
    bool keepFormat;
    const char* encoder;
    bool playable;
};

class CodecTest : public ::testing::TestWithParam<CodecCase> {};

TEST_P(CodecTest, ChoosesByExtensionUnlessNamed) {
    const CodecCase& c = GetParam();
    const auto choice = chooseEncoder(c.output, c.codec, c.keepFormat);
    EXPECT_EQ(option(choice.args, "-c:v"), c.encoder);
    EXPECT_EQ(choice.codec, c.encoder);
    EXPECT_EQ(choice.playable, c.playable);
    EXPECT_EQ(option(choice.args, "-pix_fmt"), "") << "the format is chosen from the input";
}

INSTANTIATE_TEST_SUITE_P(Outputs, CodecTest,
                         ::testing::Values(CodecCase{"a.mp4", "", false, "libx264", true},
                                           CodecCase{"a.M4V", "", false, "libx264", true},
                                           CodecCase{"a.mp4", "", true, "libx264", false},
                                           CodecCase{"dir.v1/A.MKV", "", false, "libx264", false},
                                           CodecCase{"a.mov", "", false, "libx264", false},
                                           CodecCase{"a.webm", "", false, "libvpx-vp9", true},
                                           CodecCase{"a.webm", "", true, "libvpx-vp9", false},
                                           CodecCase{"a.avi", "", false, "ffv1", false},
                                           CodecCase{"a.nut", "", false, "ffv1", false},
                                           CodecCase{"a.ts", "", false, "", false},
                                           CodecCase{"dir.d/noext", "", false, "", false},
                                           CodecCase{"a.mp4", "ffv1", false, "ffv1", true},
                                           CodecCase{"a.mkv", "rawvideo", false, "rawvideo", false},
                                           CodecCase{"a.avi", "libx264", false, "libx264", false},
                                           CodecCase{"a.mkv", "prores_ks", false, "prores_ks",
                                                     false}));

TEST(Codec, QualityOptionsOfTheKnownEncoders) {
    EXPECT_EQ(option(chooseEncoder("a.mkv", "", false).args, "-crf"), "16");
    EXPECT_EQ(option(chooseEncoder("a.mkv", "", false).args, "-preset"), "medium");
    EXPECT_EQ(option(chooseEncoder("a.webm", "", false).args, "-crf"), "20");
    EXPECT_EQ(option(chooseEncoder("a.webm", "", false).args, "-b:v"), "0");
    EXPECT_EQ(option(chooseEncoder("a.avi", "", false).args, "-level"), "3");
    EXPECT_EQ(chooseEncoder("a.mkv", "", false).summary, "libx264, crf 16");
}

TEST(Codec, InterlacedCodingWhereTheEncoderHasIt) {
    using V = std::vector<std::string>;
    EXPECT_EQ(lintra::video::interlacedOptions("libx264"), (V{"-flags", "+ilme+ildct"}));
    EXPECT_EQ(lintra::video::interlacedOptions("mpeg2video"), (V{"-flags", "+ilme+ildct"}));
    EXPECT_EQ(lintra::video::interlacedOptions("prores_ks"), (V{"-flags", "+ildct"}));
    EXPECT_EQ(lintra::video::interlacedOptions("libvpx-vp9"), V{});
    EXPECT_EQ(lintra::video::interlacedOptions("ffv1"), V{});
    EXPECT_TRUE(lintra::video::keepsFieldsAsTheyCome("ffv1"));
    EXPECT_TRUE(lintra::video::keepsFieldsAsTheyCome("dvvideo"));
    EXPECT_FALSE(lintra::video::keepsFieldsAsTheyCome("libx265"));
}

TEST(Codec, ReadsTheEncodersPixelFormats) {
    const std::string help =
        "Encoder ffv1 [FFmpeg video codec #1]:\n"
        "    General capabilities: delay threads \n"
        "    Supported pixel formats: yuv420p yuva420p gray16le bgr0\n"
        "ffv1 encoder AVOptions:\n  -slicecrc <boolean>\n";
    EXPECT_EQ(lintra::video::parseEncoderFormats(help),
              (std::vector<std::string>{"yuv420p", "yuva420p", "gray16le", "bgr0"}));
    EXPECT_TRUE(lintra::video::parseEncoderFormats("Encoder rawvideo [raw video]:\n").empty());
    EXPECT_TRUE(
        lintra::video::parseEncoderFormats("Codec 'nope' is not recognized by FFmpeg.\n").empty());
    EXPECT_EQ(lintra::video::parseEncoderFormats("Supported pixel formats: a;b yuv444p"),
              (std::vector<std::string>{"yuv444p"}));
}

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
