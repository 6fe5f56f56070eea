#include "frontend/planar_geometry.h"

#include <algorithm>

namespace lintra::planar {
namespace {

// Floor division by a power of two, for negative dividends too.
std::int32_t floorShift(std::int32_t value, std::int32_t shift) {
    return value >= 0 ? value >> shift : -((-value + (1 << shift) - 1) >> shift);
}

// Ceiling of value / 2.
std::int32_t halfUp(std::int32_t value) {
    return value >= 0 ? (value + 1) / 2 : -(-value / 2);
}

bool leftSited(ChromaLocation l) {
    return l == ChromaLocation::left || l == ChromaLocation::topLeft ||
           l == ChromaLocation::bottomLeft;
}

}  // namespace

ChromaTap chromaTap(const ChromaAxis& axis, std::int32_t luma) {
    const std::int32_t position = 2 * luma - axis.siting2;  // in half luma samples
    const std::int32_t i = floorShift(position, axis.log2 + 1);
    const std::int32_t last = axis.count - 1;
    return {std::clamp(i, 0, last), std::clamp(i + 1, 0, last), position - i * axis.span()};
}

std::int32_t tapWeight(const ChromaAxis& axis, std::int32_t luma, std::int32_t c) {
    const ChromaTap tap = chromaTap(axis, luma);
    return (tap.first == c ? axis.span() - tap.weightSecond : 0) +
           (tap.second == c ? tap.weightSecond : 0);
}

LumaSpan lumaSpan(const ChromaAxis& axis, std::int32_t c, std::int32_t lumaCount) {
    // A tap reaches c when its left sample is c - 1 or c, before clamping; clamping adds
    // everything beyond the first and the last sample.
    const std::int32_t span = axis.span();
    std::int32_t begin = c == 0 ? 0 : halfUp((c - 1) * span + axis.siting2);
    std::int32_t end = c == axis.count - 1 ? lumaCount : halfUp((c + 1) * span + axis.siting2);
    begin = std::clamp(begin, 0, lumaCount);
    end = std::clamp(end, begin, lumaCount);
    return {begin, end};
}

ChromaAxis horizontalAxis(const Format& format, ChromaLocation location, std::int32_t width) {
    const std::int32_t log2 = format.subsamplingW;
    const std::int32_t siting2 = leftSited(location) ? 0 : (1 << log2) - 1;
    return {log2, siting2, chromaCount(width, log2)};
}

ChromaAxis verticalAxis(const Format& format, ChromaLocation location, std::int32_t chromaRows) {
    const std::int32_t log2 = format.subsamplingH;
    const std::int32_t factor = 1 << log2;
    std::int32_t siting2 = factor - 1;
    if (location == ChromaLocation::topLeft || location == ChromaLocation::top) siting2 = 0;
    if (location == ChromaLocation::bottomLeft || location == ChromaLocation::bottom) {
        siting2 = 2 * (factor - 1);
    }
    return {log2, siting2, chromaRows};
}

TapTable tapTable(const ChromaAxis& axis, std::int32_t width, std::int32_t* scratch) {
    std::int32_t* first = scratch;
    std::int32_t* second = first + width;
    std::int32_t* weight = second + width;
    for (std::int32_t x = 0; x < width; ++x) {
        const ChromaTap t = chromaTap(axis, x);
        first[x] = t.first;
        second[x] = t.second;
        weight[x] = t.weightSecond;
    }
    return {first, second, weight};
}

bool chromaByField(const PictureView& picture, const Colours& colours) {
    return colours.fieldBased && picture.format.family == Family::yuv &&
           picture.format.subsamplingH > 0 &&
           chromaCount(picture.height, picture.format.subsamplingH) >= 2;
}

}  // namespace lintra::planar
