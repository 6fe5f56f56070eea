"""What a script author sees when Lintra cannot take a clip or its settings: each refusal with
its message at creation, and the conversions the messages advise actually work."""

import vapoursynth as vs

import vs_harness as h

lintra_binary, plugin = h.paths_from_argv()
core = h.core_with_plugin(plugin)
rgb = core.std.BlankClip(format=vs.RGB24, width=64, height=48, length=2)

VARIES = ("Lintra: the clip varies in format or size from frame to frame; give it one format and "
          "size first (e.g. core.resize.Bicubic(clip, width=W, height=H, format=vs.RGB24))")
# name, clip, arguments, message
REFUSED = [
    ("yuv", core.std.BlankClip(format=vs.YUV420P8), {},
     'Lintra: the clip is YUV420P8, but Lintra takes RGB24 clips; convert it with '
     'core.resize.Bicubic(clip, format=vs.RGB24, matrix_in_s="709") ("170m" for BT.601 sources) '
     'before Lintra and back with core.resize.Bicubic(clip, format=vs.YUV420P8, matrix_s="709") after it'),
    ("gray", core.std.BlankClip(format=vs.GRAY8), {},
     "Lintra: the clip is Gray8, but Lintra takes RGB24 clips; convert it with "
     "core.resize.Bicubic(clip, format=vs.RGB24) before Lintra"),
    ("rgb48", core.std.BlankClip(format=vs.RGB48), {},
     "Lintra: the clip is RGB48, but Lintra takes RGB24 clips; convert it with "
     "core.resize.Bicubic(clip, format=vs.RGB24) before Lintra"),
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
     "Lintra: expected an integer, found 'x', or settings options such as --luma-threshold 8"),
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

# The conversions the messages advise, there and back.
yuv = core.std.BlankClip(format=vs.YUV422P10, width=72, height=48, length=1, color=[300, 400, 600])
back = core.resize.Bicubic(core.lintra.Lintra(core.resize.Bicubic(yuv, format=vs.RGB24, matrix_in_s="709")),
                           format=vs.YUV422P10, matrix_s="709")
back.get_frame(0)
if back.format.id != vs.YUV422P10:
    h.fail("the way back does not give the clip's format")
for fmt in (vs.GRAY8, vs.RGB48):
    core.lintra.Lintra(core.resize.Bicubic(core.std.BlankClip(format=fmt), format=vs.RGB24)).get_frame(0)
print("ok: the advised conversions work")
