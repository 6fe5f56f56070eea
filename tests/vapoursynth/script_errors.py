"""What a script author sees when Lintra cannot take a clip or its settings: each refusal with
its message at creation, and the conversions the messages advise actually work."""

import vapoursynth as vs

import vs_harness as h

lintra_binary, plugin = h.paths_from_argv()
core = h.core_with_plugin(plugin)
rgb = core.std.BlankClip(format=vs.RGB24, width=64, height=48, length=2)

VARIES = ("Lintra: the clip varies in format or size from frame to frame; give it one format and "
          "size first (e.g. core.resize.Bicubic(clip, width=W, height=H, format=vs.YUV422P10))")
TAKES = (", but Lintra takes integer samples of 8 to 16 bits with chroma subsampled at most 4:1:0; "
         "convert it with core.resize.Bicubic(clip, format=vs.")
# name, clip, arguments, message
REFUSED = [
    ("float-rgb", core.std.BlankClip(format=vs.RGBS), {},
     "Lintra: the clip is RGBS" + TAKES + "RGB48) before Lintra"),
    ("float-yuv", core.std.BlankClip(format=vs.YUV420PS), {},
     "Lintra: the clip is YUV420PS" + TAKES + "YUV420P16) before Lintra"),
    ("half-gray", core.std.BlankClip(format=vs.GRAYH), {},
     "Lintra: the clip is GrayH" + TAKES + "Gray16) before Lintra"),
    ("variable-format", core.std.BlankClip(varformat=True), {}, VARIES),
    ("variable-size", core.std.BlankClip(format=vs.RGB24, varsize=True), {}, VARIES),
    ("unknown-option", rgb, {"settings": "--luma-threshold 8 --sharpen"},
     "Lintra: settings: unknown option '--sharpen'"),
    ("option-value", rgb, {"settings": "--luma-length=-3"},
     "Lintra: settings: --luma-length needs a non-negative integer, got '-3'"),
    ("short-line", rgb, {"settings": "Config(655363, 327700)"},
     "Lintra: settings line: expected four integers, found 2, or settings options such as "
     "--luma-threshold 8"),
    ("line-word", rgb, {"settings": "655363 327700 327700 x"},
     "Lintra: settings line: expected an integer, found 'x', or settings options such as --luma-threshold 8"),
    ("bytes-with-nul", rgb, {"settings": b"--rgb\0--progressive"},
     "Lintra: settings: the text holds a NUL character"),
]

for name, clip, args, message in REFUSED:
    try:
        core.lintra.Lintra(clip, **args)
    except vs.Error as e:
        if str(e) != message:
            h.fail(f"{name}: the message is\n  {e}\nnot\n  {message}")
        print(f"ok: {name}: {e}")
        continue
    h.fail(f"{name}: Lintra({args}) was created")

# A number of the wrong type is VapourSynth's own business (its Python module refuses it).
for wrong in ("ten", [1, 2]):
    try:
        core.lintra.Lintra(rgb, luma_length=wrong)
    except (vs.Error, ValueError, TypeError) as e:
        print(f"ok: luma_length={wrong!r}: {type(e).__name__}: {e}")
        continue
    h.fail(f"luma_length={wrong!r} was taken")

# Numbers out of range are held, not refused (their frames are compared in frames_match_lintra.py).
core.lintra.Lintra(rgb, luma_length=-1, luma_threshold=10**12, chroma_length=10**6, chroma_threshold=-9)
print("ok: out-of-range numbers create the filter")

# The conversions the messages advise work, and so do the formats taken as they are.
for fmt, advised in ((vs.RGBS, vs.RGB48), (vs.YUV420PS, vs.YUV420P16), (vs.GRAYH, vs.GRAY16)):
    core.lintra.Lintra(core.resize.Bicubic(core.std.BlankClip(format=fmt, width=64, height=48),
                                           format=advised)).get_frame(0)
for fmt in (vs.YUV420P8, vs.YUV422P10, vs.YUV411P8, vs.YUV444P16, vs.GRAY8, vs.RGB30, vs.RGB48):
    core.lintra.Lintra(core.std.BlankClip(format=fmt, width=64, height=48)).get_frame(0)
print("ok: the advised conversions work, and integer Y'CbCr, grey and RGB are taken as they are")

# A frame whose matrix the filter cannot convert fails when it is requested, with the reason.
tagged = core.std.SetFrameProps(core.std.BlankClip(format=vs.YUV420P8, length=1), _Matrix=10)
try:
    core.lintra.Lintra(tagged).get_frame(0)
    h.fail("a frame with _Matrix 10 was filtered")
except vs.Error as e:
    if "Lintra: frame 0: a frame's _Matrix 10 is not one Lintra takes" not in str(e):
        h.fail(f"_Matrix 10: the message is {e}")
    print(f"ok: _Matrix 10: {e}")
