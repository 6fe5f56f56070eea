#include "cli/png_io.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/atomic_output.h"

namespace lintra {
namespace {

constexpr std::uint32_t kMaxSide = 65535;
constexpr std::size_t kMaxPixels = std::size_t{1} << 28;
constexpr std::size_t kSignatureBytes = 8;
// Deflate packs at most about 1032 bytes into one (258 bytes per 2-bit code at best).
constexpr std::uint64_t kDeflateMostPerByte = 1032;

// libpng reports errors through this callback; the message is kept and control returns to
// the setjmp point of the function that called libpng.
[[noreturn]] void onPngError(png_structp png, png_const_charp message) {
    auto* text = static_cast<std::string*>(png_get_error_ptr(png));
    *text = message;
    std::longjmp(png_jmpbuf(png), 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Asks libpng for 8-bit RGB or RGBA whatever the file holds.
void requestEightBitRgb(png_structp png, png_infop info) {
    const png_byte colourType = png_get_color_type(png, info);
    png_set_expand(png);
    if (png_get_bit_depth(png, info) == 16) png_set_scale_16(png);
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Decodes into `samples` (RGB or RGBA rows). The only locals live before setjmp; every
// object with a destructor belongs to the caller, so the error jump skips none.
bool decodePng(std::FILE* file, std::uint64_t fileBytes, std::vector<std::uint8_t>& samples,
               std::vector<png_bytep>& rows, std::uint32_t& width, std::uint32_t& height,
               int& channels, std::string& message) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &message, onPngError, onPngWarning);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        message = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_sig_bytes(png, static_cast<int>(kSignatureBytes));
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    if (std::size_t{width} * height > kMaxPixels) png_error(png, "picture too large");
    // A file too short to hold the rows it declares, even at deflate's best, is damaged: refuse
    // it before the rows are allocated (a 100-byte file could otherwise ask for gigabytes).
    const std::uint64_t declared = (std::uint64_t{png_get_rowbytes(png, info)} + 1) * height;
    if (declared > fileBytes * kDeflateMostPerByte) png_error(png, "Not enough image data");
    requestEightBitRgb(png, info);
    channels = png_get_channels(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    samples.resize(rowBytes * height);
    rows.resize(height);
    for (std::uint32_t y = 0; y < height; ++y) rows[y] = samples.data() + rowBytes * y;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void unpackSamples(const std::vector<std::uint8_t>& samples, int channels, Picture& picture) {
    const std::size_t pixels = picture.bgrx.size() / 4;
    if (channels == 4) picture.alpha.resize(pixels);
    const auto step = static_cast<std::size_t>(channels);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* s = &samples[i * step];
        std::uint8_t* d = &picture.bgrx[i * 4];
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        d[3] = 0;
        if (channels == 4) picture.alpha[i] = s[3];
    }
}

void packSamples(const Picture& picture, std::vector<std::uint8_t>& samples) {
    const bool hasAlpha = !picture.alpha.empty();
    const std::size_t step = hasAlpha ? 4 : 3;
    const std::size_t pixels = picture.bgrx.size() / 4;
    samples.resize(pixels * step);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* s = &picture.bgrx[i * 4];
        std::uint8_t* d = &samples[i * step];
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        if (hasAlpha) d[3] = picture.alpha[i];
    }
}

bool encodePng(std::FILE* file, const Picture& picture, std::vector<std::uint8_t>& samples,
               std::vector<png_bytep>& rows, std::string& message) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, onPngError, onPngWarning);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        message = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    const bool hasAlpha = !picture.alpha.empty();
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 8,
                 hasAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * (hasAlpha ? 4 : 3);
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = samples.data() + rowBytes * y;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool readPngFile(std::FILE* file, std::uint64_t fileBytes, const std::string& name,
                 Picture& picture, std::string& error) {
    png_byte signature[kSignatureBytes] = {};
    if (std::fread(signature, 1, kSignatureBytes, file) != kSignatureBytes ||
        png_sig_cmp(signature, 0, kSignatureBytes) != 0) {
        error = name + ": not a PNG file (raw frames need --size WxH)";
        return false;
    }
    std::vector<std::uint8_t> samples;
    std::vector<png_bytep> rows;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int channels = 0;
    std::string message;
    if (!decodePng(file, fileBytes, samples, rows, width, height, channels, message)) {
        error = name + ": cannot read PNG: " + message;
        return false;
    }
    resizePicture(picture, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    unpackSamples(samples, channels, picture);
    return true;
}

// The rest of a stream whose size is not known in advance (a pipe). False on a read error.
bool readWhole(std::FILE* file, std::vector<std::uint8_t>& bytes) {
    std::uint8_t buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        bytes.insert(bytes.end(), buffer, buffer + got);
        if (got < sizeof buffer) return std::ferror(file) == 0;
    }
}

}  // namespace

std::string displayName(const std::string& path, bool isOutput) {
    if (path != "-") return path;
    return isOutput ? "standard output" : "standard input";
}

bool readPng(const std::string& path, Picture& picture, std::string& error) {
    const std::string name = displayName(path, false);
    std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = name + ": cannot open: " + std::strerror(errno);
        return false;
    }
    // The size bounds what the file can hold; a stream of unknown size is read whole first.
    struct stat st {};
    bool ok = false;
    if (fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode)) {
        ok = readPngFile(file, static_cast<std::uint64_t>(st.st_size), name, picture, error);
    } else {
        std::vector<std::uint8_t> bytes;
        std::FILE* memory = nullptr;
        if (!readWhole(file, bytes)) {
            error = name + ": cannot read: " + std::strerror(errno);
        } else if (bytes.empty() ||
                   (memory = fmemopen(bytes.data(), bytes.size(), "rb")) == nullptr) {
            error = name + ": not a PNG file (raw frames need --size WxH)";
        } else {
            ok = readPngFile(memory, bytes.size(), name, picture, error);
            std::fclose(memory);
        }
    }
    if (file != stdin) std::fclose(file);
    return ok;
}

bool writePng(const std::string& path, const Picture& picture, std::string& error) {
    std::vector<std::uint8_t> samples;
    std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
    packSamples(picture, samples);
    std::string message;
    if (path == "-") {
        if (encodePng(stdout, picture, samples, rows, message) && std::fflush(stdout) == 0) {
            return true;
        }
        error = "standard output: cannot write PNG" + (message.empty() ? "" : ": " + message);
        return false;
    }
    AtomicOutput out;
    if (!openAtomicOutput(path, out, error)) return false;
    if (!encodePng(out.file, picture, samples, rows, message)) {
        abandonAtomicOutput(out);
        error = path + ": cannot write PNG: " + message;
        return false;
    }
    return commitAtomicOutput(out, error);
}

}  // namespace lintra
