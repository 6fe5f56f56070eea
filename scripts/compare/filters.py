"""The filters compared, each as a function from a 4:2:2 8-bit clip to one, with its
defaults and the grid its tuned settings are searched on (design clips only).

Each filter gets the conversions it needs and nothing else: Lintra takes the 4:2:2 clip as
it is (its frames tagged with their matrix, range and fields, from which it makes its RGB view
and to which it carries its change back), DotKill takes 4:2:0 (Spline36 both ways), the others
take the 4:2:2 clip as it is. ffmpeg's dedot runs in an ffmpeg child on raw 4:2:2 frames.
"""

import itertools
import subprocess

import vapoursynth as vs


def _grid(**axes):
    keys = list(axes)
    return [dict(zip(keys, values)) for values in itertools.product(*(axes[k] for k in keys))]


# _Matrix as VapourSynth numbers it: BT.470BG (PAL) 5, SMPTE 170M (NTSC) 6.
MATRIX_PROPERTY = {"470bg": 5, "170m": 6}


def lintra(core, clip, params, ctx):
    tagged = core.std.SetFrameProps(clip, _Matrix=MATRIX_PROPERTY[ctx["matrix"]], _ColorRange=1,
                                    _FieldBased=2 if ctx["scan"] == "woven" else 0)
    return core.lintra.Lintra(tagged, **params)


def dedot(core, clip, params, ctx):
    return core.dedot.Dedot(clip, **params)


def dotkill(core, clip, params, ctx):
    c420 = core.resize.Spline36(clip, format=vs.YUV420P8)
    return core.resize.Spline36(core.dotkill.DotKillS(c420, **params), format=vs.YUV422P8)


def decross(core, clip, params, ctx):
    return core.decross.DeCross(clip, **params)


def bifrost(core, clip, params, ctx):
    return core.bifrost.Bifrost(clip, **params)


def ffmpeg_dedot_graph(params):
    return "dedot" + ("=" + ":".join(f"{k}={v}" for k, v in params.items()) if params else "")


def run_ffmpeg_dedot(frames, params):
    """ffmpeg's dedot on raw 4:2:2 frames, one thread; the frames it gives back."""
    import numpy as np
    h, w = frames[0][0].shape
    raw = b"".join(p.tobytes() for f in frames for p in f)
    run = subprocess.run(
        ["ffmpeg", "-nostdin", "-hide_banner", "-v", "error", "-threads", "1",
         "-f", "rawvideo", "-pix_fmt", "yuv422p", "-s", f"{w}x{h}", "-r", "30000/1001", "-i", "-",
         "-filter_threads", "1", "-vf", ffmpeg_dedot_graph(params),
         "-f", "rawvideo", "-pix_fmt", "yuv422p", "-"],
        input=raw, capture_output=True, check=True)
    data = np.frombuffer(run.stdout, dtype=np.uint8)
    size = w * h * 2
    out = []
    for n in range(len(data) // size):
        f = data[n * size:(n + 1) * size]
        out.append((f[:w * h].reshape(h, w), f[w * h:w * h * 3 // 2].reshape(h, w // 2),
                    f[w * h * 3 // 2:].reshape(h, w // 2)))
    return out


# name -> (function, defaults, grid for tuning as a function of the group's scan).
# "ffmpeg dedot" has no function: it runs outside VapourSynth.
FAMILIES = {
    "lintra": (lintra, {},
               lambda scan: _grid(interlaced=[0, 1], luma_threshold=[0, 5, 10],
                                  chroma_threshold=[20, 80, 160, 255, 511],
                                  luma_length=[1, 10], chroma_length=[3])),
    "ffmpeg dedot": (None, {},
                     lambda scan: _grid(lt=[0.079, 0.32, 0.64], tl=[0.01, 0.02, 0.079],
                                        tc=[0.24, 0.48, 0.96], ct=[0.019, 0.04])),
    "dedot": (dedot, {},
              lambda scan: _grid(luma_2d=[20, 80, 160, 320], luma_t=[2, 5, 20],
                                 chroma_t1=[60, 120, 255])),
    "dotkill": (dotkill, {}, lambda scan: _grid(iterations=[1, 2, 3, 4])),
    "decross": (decross, {},
                lambda scan: _grid(thresholdy=[1, 3, 10, 30], noise=[60, 120, 255],
                                   margin=[1, 2])),
    "bifrost": (bifrost, {},
                lambda scan: _grid(interlaced=[scan == "woven"],
                                   luma_thresh=[10, 40, 160, 255, 1000], variation=[1, 2, 5])),
}

DISPLAY = {"lintra": "Lintra", "ffmpeg dedot": "ffmpeg dedot", "dedot": "Dedot",
           "dotkill": "DotKillS", "decross": "DeCross", "bifrost": "Bifrost"}
