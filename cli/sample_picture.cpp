#include "cli/sample_picture.h"

#include <cmath>
#include <numbers>

#include "cli/sample_font.h"

namespace lintra {
namespace {

struct Rgb {
    double r;
    double g;
    double b;
};

// Levels kept inside 24..232 so the added pattern is never clipped.
constexpr double kLow = 24.0;
constexpr double kHigh = 200.0;

constexpr std::int32_t kBarsHeight = 160;
constexpr std::int32_t kRampTop = 160;
constexpr std::int32_t kRampHeight = 64;
constexpr std::int32_t kSceneTop = 224;

std::size_t byteIndex(const Picture& p, std::int32_t x, std::int32_t y) {
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) +
            static_cast<std::size_t>(x)) *
           4;
}

void put(Picture& p, std::int32_t x, std::int32_t y, Rgb c) {
    std::uint8_t* d = &p.bgrx[byteIndex(p, x, y)];
    auto byte = [](double v) {
        const double r = std::floor(v + 0.5);
        return static_cast<std::uint8_t>(r < 0.0 ? 0.0 : (r > 255.0 ? 255.0 : r));
    };
    d[0] = byte(c.b);
    d[1] = byte(c.g);
    d[2] = byte(c.r);
    d[3] = 0;
}

Rgb get(const Picture& p, std::int32_t x, std::int32_t y) {
    const std::uint8_t* s = &p.bgrx[byteIndex(p, x, y)];
    return Rgb{static_cast<double>(s[2]), static_cast<double>(s[1]), static_cast<double>(s[0])};
}

void fill(Picture& p, SampleRegion r, Rgb c) {
    for (std::int32_t y = r.y; y < r.y + r.height; ++y) {
        for (std::int32_t x = r.x; x < r.x + r.width; ++x) put(p, x, y, c);
    }
}

// Eight bars: white, yellow, cyan, green, magenta, red, blue, black.
void drawColourBars(Picture& p) {
    const std::int32_t barWidth = p.width / 8;
    for (std::int32_t i = 0; i < 8; ++i) {
        const bool red = i == 0 || i == 1 || i == 4 || i == 5;
        const bool green = i < 4;
        const bool blue = i % 2 == 0;
        const Rgb bar{red ? kHigh : kLow, green ? kHigh : kLow, blue ? kHigh : kLow};
        fill(p, SampleRegion{i * barWidth, 0, barWidth, kBarsHeight}, bar);
    }
}

// Left half: a grey ramp; right half: a sweep through the hues.
void drawRamps(Picture& p) {
    const std::int32_t half = p.width / 2;
    for (std::int32_t x = 0; x < p.width; ++x) {
        Rgb c{};
        if (x < half) {
            const double v = kLow + (232.0 - kLow) * x / (half - 1);
            c = Rgb{v, v, v};
        } else {
            const double h = 2.0 * std::numbers::pi * (x - half) / (p.width - half);
            const auto wave = [h](double shift) { return 112.0 + 72.0 * std::cos(h - shift); };
            c = Rgb{wave(0.0), wave(2.0 * std::numbers::pi / 3.0),
                    wave(4.0 * std::numbers::pi / 3.0)};
        }
        for (std::int32_t y = kRampTop; y < kRampTop + kRampHeight; ++y) put(p, x, y, c);
    }
}

// A sky-like vertical gradient behind the lower half of the scene.
void drawBackground(Picture& p) {
    for (std::int32_t y = kSceneTop; y < p.height; ++y) {
        const double t = static_cast<double>(y - kSceneTop) / (p.height - 1 - kSceneTop);
        const Rgb c{90.0 + 60.0 * t, 120.0 + 40.0 * t, 190.0 - 90.0 * t};
        for (std::int32_t x = 0; x < p.width; ++x) put(p, x, y, c);
    }
}

void drawFineLines(Picture& p, SampleRegion r, std::int32_t linesPerStripe) {
    for (std::int32_t y = r.y; y < r.y + r.height; ++y) {
        const bool bright = ((y - r.y) / linesPerStripe) % 2 == 0;
        const double v = bright ? 180.0 : 70.0;
        for (std::int32_t x = r.x; x < r.x + r.width; ++x) put(p, x, y, Rgb{v, v, v});
    }
}

// A vertical grey wedge: smooth vertical change that is no pattern.
void drawWedge(Picture& p, SampleRegion r) {
    for (std::int32_t y = r.y; y < r.y + r.height; ++y) {
        const double v = kLow + (kHigh - kLow) * (y - r.y) / (r.height - 1);
        for (std::int32_t x = r.x; x < r.x + r.width; ++x) put(p, x, y, Rgb{v, v, v});
    }
}

void drawText(Picture& p, std::int32_t x0, std::int32_t y0, const char* text, Rgb ink) {
    constexpr std::int32_t kScale = 4;
    for (std::int32_t i = 0; text[i] != '\0'; ++i) {
        const GlyphRows& glyph = glyphFor(text[i]);
        for (std::int32_t gy = 0; gy < kGlyphHeight; ++gy) {
            for (std::int32_t gx = 0; gx < kGlyphWidth; ++gx) {
                if (((glyph[static_cast<std::size_t>(gy)] >> (kGlyphWidth - 1 - gx)) & 1) == 0) {
                    continue;
                }
                const std::int32_t left = x0 + i * (kGlyphWidth + 1) * kScale + gx * kScale;
                fill(p, SampleRegion{left, y0 + gy * kScale, kScale, kScale}, ink);
            }
        }
    }
}

void drawScene(Picture& p) {
    drawColourBars(p);
    drawRamps(p);
    drawBackground(p);
    for (std::int32_t i = 0; i < 2; ++i)
        drawFineLines(p, sampleDetailRegions()[static_cast<std::size_t>(i)], i + 1);
    drawWedge(p, SampleRegion{616, 248, 72, 128});
    fill(p, SampleRegion{32, 400, 656, 152}, Rgb{40.0, 40.0, 48.0});
    drawText(p, 56, 416, "LINTRA", Rgb{220.0, 220.0, 210.0});
    drawText(p, 56, 472, "LINE COMB TEST", Rgb{230.0, 200.0, 60.0});
}

// The pattern composite decoding leaves: a line-alternating offset in luma (1.1..1.9 studio
// steps) and in chroma (a 5.5..8.5 step vector whose hue turns slowly along the line), both
// varying smoothly along the line.
Rgb patternAt(std::int32_t x, std::int32_t y) {
    const double sign = ((y >> 1) & 1) == 0 ? 1.0 : -1.0;
    const double tau = 2.0 * std::numbers::pi;
    const double dy = sign * (1.5 + 0.4 * std::sin(tau * x / 173.0));
    const double chroma = sign * (7.0 + 1.5 * std::sin(tau * x / 251.0));
    const double dcb = chroma * std::cos(tau * x / 397.0);
    const double dcr = chroma * std::sin(tau * x / 397.0);
    // BT.601 studio range back to R, G, B.
    return Rgb{1.164 * dy + 1.596 * dcr, 1.164 * dy - 0.392 * dcb - 0.813 * dcr,
               1.164 * dy + 2.017 * dcb};
}

void addPattern(Picture& p) {
    for (std::int32_t y = 0; y < p.height; ++y) {
        for (std::int32_t x = 0; x < p.width; ++x) {
            const Rgb c = get(p, x, y);
            const Rgb d = patternAt(x, y);
            put(p, x, y, Rgb{c.r + d.r, c.g + d.g, c.b + d.b});
        }
    }
}

}  // namespace

std::array<SampleRegion, 2> sampleDetailRegions() {
    return {SampleRegion{40, 248, 256, 128}, SampleRegion{328, 248, 256, 128}};
}

void makeSamplePicture(Picture& picture, bool withPattern) {
    resizePicture(picture, kSampleWidth, kSampleHeight);
    drawScene(picture);
    if (withPattern) addPattern(picture);
}

}  // namespace lintra
