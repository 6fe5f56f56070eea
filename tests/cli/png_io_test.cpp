#include "cli/png_io.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>

#include "tests/cli/cli_test_support.h"

namespace lintra {
namespace {

using test::ScratchDir;

Picture randomPicture(std::int32_t w, std::int32_t h, bool withAlpha, std::uint32_t seed) {
    Picture p;
    resizePicture(p, w, h);
    std::uint32_t state = seed;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(state >> 24);
    };
    for (std::size_t i = 0; i < p.bgrx.size(); ++i) p.bgrx[i] = i % 4 == 3 ? 0 : next();
    if (withAlpha) {
        p.alpha.resize(static_cast<std::size_t>(w * h));
        for (auto& a : p.alpha) a = next();
    }
    return p;
}

// Writes a PNG of any format with libpng's simplified interface, for reading tests.
void writeWithFormat(const std::string& path, std::uint32_t format, int w, int h,
                     const std::vector<std::uint8_t>& samples) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = format;
    ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, samples.data(), 0, nullptr), 0);
}

TEST(PngIo, RgbAndRgbaPicturesRoundTripExactly) {
    ScratchDir dir;
    for (bool alpha : {false, true}) {
        const Picture p = randomPicture(17, 9, alpha, alpha ? 3u : 4u);
        std::string error;
        ASSERT_TRUE(writePng(dir.file("p.png"), p, error)) << error;
        Picture back;
        ASSERT_TRUE(readPng(dir.file("p.png"), back, error)) << error;
        EXPECT_EQ(back.width, 17);
        EXPECT_EQ(back.height, 9);
        EXPECT_EQ(back.bgrx, p.bgrx);
        EXPECT_EQ(back.alpha, p.alpha);
    }
}

TEST(PngIo, GreyAndSixteenBitPicturesAreReadAsEightBitRgb) {
    ScratchDir dir;
    writeWithFormat(dir.file("grey.png"), PNG_FORMAT_GRAY, 3, 1, {0, 77, 255});
    Picture p;
    std::string error;
    ASSERT_TRUE(readPng(dir.file("grey.png"), p, error)) << error;
    EXPECT_EQ(p.bgrx, (std::vector<std::uint8_t>{0, 0, 0, 0, 77, 77, 77, 0, 255, 255, 255, 0}));
    EXPECT_TRUE(p.alpha.empty());

    // 16-bit samples are scaled to 8 bits (v * 255 / 65535, rounded), not gamma-converted.
    const std::vector<std::uint16_t> wide = {0, 128 * 257, 65535, 300};
    writeWithFormat(
        dir.file("wide.png"), PNG_FORMAT_LINEAR_Y_ALPHA, 1, 2,
        std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(wide.data()),
                                  reinterpret_cast<const std::uint8_t*>(wide.data()) + 8));
    ASSERT_TRUE(readPng(dir.file("wide.png"), p, error)) << error;
    EXPECT_EQ(p.bgrx, (std::vector<std::uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));
    EXPECT_EQ(p.alpha, (std::vector<std::uint8_t>{128, 1}));
}

TEST(PngIo, ErrorsNameTheFile) {
    ScratchDir dir;
    Picture p;
    std::string error;
    EXPECT_FALSE(readPng(dir.file("missing.png"), p, error));
    EXPECT_NE(error.find("missing.png"), std::string::npos) << error;
    test::writeBytes(dir.file("text.png"), {'h', 'e', 'l', 'l', 'o', '\n', 0, 0, 0, 0});
    EXPECT_FALSE(readPng(dir.file("text.png"), p, error));
    EXPECT_NE(error.find("text.png: not a PNG file"), std::string::npos) << error;
}

TEST(PngIo, TruncatedPngIsAnErrorNotAPicture) {
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(writePng(dir.file("whole.png"), randomPicture(64, 64, false, 9u), error));
    auto bytes = test::readBytes(dir.file("whole.png"));
    bytes.resize(bytes.size() / 2);
    test::writeBytes(dir.file("half.png"), bytes);
    Picture p;
    EXPECT_FALSE(readPng(dir.file("half.png"), p, error));
    EXPECT_NE(error.find("half.png: cannot read PNG"), std::string::npos) << error;
}

TEST(PngIo, FailedWriteLeavesNothingBehind) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.file("sub"));
    std::string error;
    // The destination is a directory: the rename fails and the temporary file goes away.
    EXPECT_FALSE(writePng(dir.file("sub"), randomPicture(4, 4, false, 1u), error));
    EXPECT_NE(error.find("sub"), std::string::npos);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"sub"});
    EXPECT_FALSE(writePng(dir.file("nowhere/out.png"), randomPicture(4, 4, false, 1u), error));
    EXPECT_NE(error.find("nowhere/out.png"), std::string::npos) << error;
}

void appendChunk(std::vector<std::uint8_t>& png, const char* type,
                 const std::vector<std::uint8_t>& data) {
    const auto size = static_cast<std::uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(std::uint8_t(size >> shift));
    const std::size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, png.data() + typeAt, static_cast<uInt>(png.size() - typeAt)));
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(std::uint8_t(crc >> shift));
}

// A black 8-bit RGB picture compressed as far as deflate goes, its data cut to `idatBytes`
// when that is smaller.
std::vector<std::uint8_t> blackPng(std::uint32_t side, std::size_t idatBytes) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    for (int i = 0; i < 2; ++i) {
        for (int shift = 24; shift >= 0; shift -= 8) header.push_back(std::uint8_t(side >> shift));
    }
    header.insert(header.end(), {8, 2, 0, 0, 0});
    appendChunk(png, "IHDR", header);
    // A cut stream needs only its start.
    const std::size_t rowBytes = (std::size_t{side} * 3 + 1) * side;
    const std::vector<std::uint8_t> rows(std::min<std::size_t>(rowBytes, idatBytes * 1024), 0);
    uLongf packed = compressBound(static_cast<uLong>(rows.size()));
    std::vector<std::uint8_t> data(packed);
    EXPECT_EQ(compress2(data.data(), &packed, rows.data(), static_cast<uLong>(rows.size()), 9),
              Z_OK);
    data.resize(std::min<std::size_t>(packed, idatBytes));
    appendChunk(png, "IDAT", data);
    appendChunk(png, "IEND", {});
    return png;
}

// Deflate packs at most about 1032 bytes into one: a file too short for the rows it declares
// is refused before they are allocated, while the most compressed real picture still reads.
TEST(PngIo, AFileTooShortForItsDeclaredRowsIsRefusedBeforeTheyAreAllocated) {
    ScratchDir dir;
    const auto densest = blackPng(2048, SIZE_MAX);
    EXPECT_LT(densest.size() * 1000, (2048u * 3 + 1) * 2048u) << "over 1000:1";
    test::writeBytes(dir.file("black.png"), densest);
    Picture p;
    std::string error;
    ASSERT_TRUE(readPng(dir.file("black.png"), p, error)) << error;
    EXPECT_EQ(p.width, 2048);

    test::writeBytes(dir.file("bomb.png"), blackPng(16384, 40));
    EXPECT_FALSE(readPng(dir.file("bomb.png"), p, error));
    EXPECT_NE(error.find("bomb.png: cannot read PNG: Not enough image data"), std::string::npos)
        << error;
#if !defined(__SANITIZE_ADDRESS__)
    // With the address space held to 256 MB, allocating the declared 805 MB would fail.
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{256u << 20, 256u << 20};
        setrlimit(RLIMIT_AS, &limit);
        Picture q;
        std::string message;
        try {
            _exit(!readPng(dir.file("bomb.png"), q, message) &&
                          message.find("Not enough image data") != std::string::npos
                      ? 0
                      : 1);
        } catch (...) {
            _exit(2);
        }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
}

}  // namespace
}  // namespace lintra
