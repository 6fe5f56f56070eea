#include "cli/video_codec.h"

#include <cctype>
#include <sstream>

namespace lintra::video {
namespace {

EncoderChoice encoderFor(const std::string& codec) {
    if (codec == "libx264" || codec == "libx265") {
        return {codec, {"-c:v", codec, "-preset", "medium", "-crf", "16"}, codec + ", crf 16"};
    }
    if (codec == "libvpx-vp9") {
        return {codec, {"-c:v", codec, "-crf", "20", "-b:v", "0"}, codec + ", crf 20"};
    }
    if (codec == "ffv1") return {codec, {"-c:v", "ffv1", "-level", "3"}, "ffv1, lossless"};
    if (codec == "rawvideo") return {codec, {"-c:v", "rawvideo"}, "rawvideo, lossless"};
    return {codec, {"-c:v", codec}, codec};
}

bool oneOf(const std::string& value, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        if (value == n) return true;
    }
    return false;
}

}  // namespace

std::string lowerExtension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (dot == std::string::npos || dot <= nameStart) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string subtitleCodec(const std::string& output) {
    const std::string ext = lowerExtension(output);
    if (ext == "mp4" || ext == "m4v" || ext == "mov") return "mov_text";
    if (ext == "webm") return "webvtt";
    return "copy";
}

EncoderChoice chooseEncoder(const std::string& output, const std::string& codec, bool keepFormat) {
    const std::string ext = lowerExtension(output);
    EncoderChoice choice;
    if (!codec.empty()) {
        choice = encoderFor(codec);
    } else if (oneOf(ext, {"mp4", "m4v", "mov", "mkv"})) {
        choice = encoderFor("libx264");
    } else if (ext == "webm") {
        choice = encoderFor("libvpx-vp9");
    } else if (ext == "avi" || ext == "nut") {
        choice = encoderFor("ffv1");
    } else {
        choice = {"", {}, "the container's default codec"};
    }
    choice.playable = !keepFormat && oneOf(ext, {"mp4", "m4v", "webm"});
    return choice;
}

std::vector<std::string> interlacedOptions(const std::string& codec) {
    if (oneOf(codec, {"libx264", "mpeg2video", "mpeg4", "libxvid"})) {
        return {"-flags", "+ilme+ildct"};
    }
    if (oneOf(codec, {"prores_ks", "prores", "prores_aw"})) return {"-flags", "+ildct"};
    return {};
}

bool keepsFieldsAsTheyCome(const std::string& codec) {
    return oneOf(codec, {"ffv1", "rawvideo", "dvvideo", "huffyuv", "ffvhuff", "utvideo", "v210",
                         "v410", "magicyuv", "r210", "v308", "v408"});
}

std::vector<std::string> parseEncoderFormats(const std::string& helpText) {
    std::vector<std::string> formats;
    const std::string marker = "Supported pixel formats:";
    const auto at = helpText.find(marker);
    if (at == std::string::npos) return formats;
    const auto end = helpText.find('\n', at);
    std::istringstream words(helpText.substr(at + marker.size(), end == std::string::npos
                                                                     ? std::string::npos
                                                                     : end - at - marker.size()));
    std::string word;
    while (words >> word) {
        bool plain = word.size() <= 32;
        for (const char c : word) {
            plain = plain && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
        }
        if (plain) formats.push_back(word);
    }
    return formats;
}

}  // namespace lintra::video
