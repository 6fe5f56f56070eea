"""core.lintra.Lintra gives, frame for frame, the colours lintra gives on the same pixels: every
mode, numbers held to the dialog's ranges, settings lines and options as text, at sizes with
odd widths and heights and widths that are not a multiple of 16."""

import vapoursynth as vs

import vs_harness as h

lintra_binary, plugin = h.paths_from_argv()
core = h.core_with_plugin(plugin)

# name, Lintra arguments, lintra options
CASES = [
    ("defaults", {}, []),
    ("rgb", {"rgb": 1}, ["--rgb"]),
    ("progressive", {"interlaced": 0}, ["--progressive"]),
    ("test-mode-yuv", {"test_mode": 1}, ["--test-mode"]),
    ("test-mode-rgb", {"rgb": 1, "test_mode": 1}, ["--rgb", "--test-mode"]),
    ("numbers", {"luma_length": 16, "luma_threshold": 8, "chroma_length": 5, "chroma_threshold": 30},
     ["--luma-length", "16", "--luma-threshold", "8", "--chroma-length", "5", "--chroma-threshold", "30"]),
    ("clamped", {"interlaced": 0, "luma_length": -4, "luma_threshold": 600, "chroma_length": 5000,
                 "chroma_threshold": -1},
     ["--progressive", "--luma-length", "1", "--luma-threshold", "511", "--chroma-length", "1023",
      "--chroma-threshold", "0"]),
    ("any-nonzero-flag", {"rgb": 5, "interlaced": -1}, ["--rgb"]),
    ("settings-line", {"settings": "Config(262153, 2621470, 1966092, 16842752)"},
     ["--config", "Config(262153,2621470,1966092,16842752)"]),
    ("settings-options", {"settings": "--luma-threshold 8 --chroma-threshold 30 --progressive"},
     ["--luma-threshold", "8", "--chroma-threshold", "30", "--progressive"]),
    ("settings-wins", {"rgb": 1, "test_mode": 1, "settings": "655363 327700 327700 0"},
     ["--config", "655363,327700,327700,0"]),
    ("settings-blank", {"rgb": 1, "settings": "  "}, ["--rgb"]),
]
SIZES = [(320, 96), (318, 97), (37, 23), (17, 9), (2, 5), (1, 1)]
FRAMES = 3

for width, height in SIZES:
    source = h.test_frames(width, height, FRAMES)
    clip = h.clip_from_bgr0(core, source, width, height, FRAMES)
    for name, args, options in CASES:
        got = h.clip_colour_bytes(core.lintra.Lintra(clip, **args))
        want = h.colour_bytes(h.lintra(lintra_binary, options, width, height, source))
        if width * height >= 256 and want == h.colour_bytes(source):
            h.fail(f"{name} {width}x{height}: the frames give the filter nothing to do")
        if got != want:
            h.fail(f"{name} {width}x{height}: Lintra({args}) differs from lintra {' '.join(options)}")
        print(f"ok: {name} {width}x{height}: Lintra({args}) == lintra {' '.join(options)}")

# Deeper RGB goes through its 8-bit view and takes the filter's change back at its own depth:
# 8-bit pictures scaled to 16 bits (each value times 257) come out as lintra's, scaled alike.
width, height = 64, 40
source = h.test_frames(width, height, FRAMES)
deep = core.std.Expr(h.clip_from_bgr0(core, source, width, height, FRAMES), "x 257 *",
                     format=vs.RGB48)
for name, args, options in CASES[:3]:
    got = core.lintra.Lintra(deep, **args)
    want = h.colour_bytes(h.lintra(lintra_binary, options, width, height, source))
    for n in range(FRAMES):
        frame = got.get_frame(n)
        pixels = bytearray()
        for y in range(height):
            for x in range(width):
                for plane in (2, 1, 0):
                    value = frame[plane][y, x]
                    if value % 257:
                        h.fail(f"RGB48 {name}: {value} is no 8-bit value scaled")
                    pixels.append(value // 257)
        if bytes(pixels) != want[n * width * height * 3:(n + 1) * width * height * 3]:
            h.fail(f"RGB48 {name}: frame {n} differs from lintra {' '.join(options)}")
    print(f"ok: RGB48 {name}: Lintra({args}) == lintra {' '.join(options)}, times 257")
