"""Test material through a real composite path: clean frames are encoded to a PAL or NTSC
composite signal by vapoursynth-composite and decoded again by its decoder, at two
artifact strengths chosen by the decoder's separator:

  strong  dimensions=1, the notch decoder: full cross-colour and dot crawl, as a cheap
          decoder (or a VCR's) leaves them;
  weak    dimensions=2, the line-comb decoder: residual patterns at vertical detail.

Woven clips are 720x480 (NTSC) or 720x576 (PAL) frames of two fields taken at different
times, top field first. Progressive clips are a non-interlaced 240- or 288-line raster
(one field per frame, each its own time): the frames are line-doubled to the interlaced
raster the encoder takes, and the decoded top field is the progressive picture, in which
the subcarrier's pattern alternates from one line to the next.

Everything ends as 4:2:2 8-bit YUV (BT.601, limited range), as capture cards deliver it;
the clean reference takes the same last conversion.
"""

from dataclasses import dataclass, field

import numpy as np
import vapoursynth as vs

import sources

FRAMES = 8
# Frames whose metrics count: temporal filters see two whole neighbours on either side.
MEASURED = range(2, 6)

STANDARDS = {"ntsc": (480, "170m"), "pal": (576, "470bg")}
STRENGTHS = {"strong": 1, "weak": 2}


@dataclass
class Clip:
    scene: str
    split: str
    motion: str
    standard: str
    scan: str        # "woven" or "progressive"
    strength: str    # "strong", "weak" or "clean"
    matrix: str
    clean: list      # frames of (Y, U, V) uint8 planes
    decoded: list
    lines: list = field(default_factory=list)   # fine-line detail masks on the luma grid

    @property
    def name(self):
        return f"{self.scene}/{self.motion}/{self.standard}-{self.scan}/{self.strength}"

    @property
    def size(self):
        h, w = self.clean[0][0].shape
        return w, h


def frames_to_clip(core, frames, fmt):
    """A clip whose frames carry the given planes (lists of arrays)."""
    h, w = frames[0][0].shape
    blank = core.std.BlankClip(width=w, height=h, format=fmt, length=len(frames), fpsnum=30000,
                               fpsden=1001)

    def put(n, f):
        out = f.copy()
        for p, plane in enumerate(frames[n]):
            np.asarray(out[p])[:] = plane
        return out

    return core.std.ModifyFrame(blank, blank, put)


def clip_to_frames(clip):
    return [tuple(np.asarray(f[p]).copy() for p in range(clip.format.num_planes))
            for f in (clip.get_frame(n) for n in range(clip.num_frames))]


def _rgb48(core, rgb_frames):
    planes = [tuple(np.round(f[..., c] * 65535).astype(np.uint16) for c in range(3))
              for f in rgb_frames]
    return frames_to_clip(core, planes, vs.RGB48)


def _to_422(core, clip):
    return core.resize.Spline36(clip, format=vs.YUV422P8, dither_type="none")


def _composite_clips(core, rgb_frames, standard, matrix):
    """Clean and decoded (by strength) clips of frames on the interlaced raster."""
    yuv = core.resize.Spline36(_rgb48(core, rgb_frames), format=vs.YUV444P16, matrix_s=matrix)
    yuv = core.std.SetFieldBased(yuv, 2)
    encoded = core.composite.Encode(yuv, standard=standard)
    decoded = {s: core.composite.Decode(encoded, standard=standard, dimensions=d, width=720)
               for s, d in STRENGTHS.items()}
    return _to_422(core, yuv), {s: _to_422(core, c) for s, c in decoded.items()}


def _top_field(frames):
    return [tuple(p[0::2] for p in f) for f in frames]


def scene_clips(core, scene, motion, standard, scan):
    """The clips of one scene and motion, for one standard and scan: clean and both
    strengths."""
    height, matrix = STANDARDS[standard]
    picture, mask = sources.scene(scene)
    if scan == "woven":
        rgb, masks = sources.woven_frames(picture, mask, 720, height, motion, FRAMES)
    else:
        rgb, masks = sources.progressive_frames(picture, mask, 720, height // 2, motion, FRAMES)
        rgb = [np.repeat(f, 2, axis=0) for f in rgb]
    clean, decoded = _composite_clips(core, rgb, standard, matrix)
    clean = clip_to_frames(clean)
    decoded = {s: clip_to_frames(c) for s, c in decoded.items()}
    if scan == "progressive":
        clean = _top_field(clean)
        decoded = {s: _top_field(f) for s, f in decoded.items()}
    split = sources.SCENES[scene]
    clips = [Clip(scene, split, motion, standard, scan, s, matrix, clean, d, masks)
             for s, d in decoded.items()]
    return clips


def group_clips(core, standard, scan, scenes=None):
    """Every clip of one standard and scan (one frame size)."""
    out = []
    for scene in scenes or sources.SCENES:
        for motion in sources.MOTIONS:
            out.extend(scene_clips(core, scene, motion, standard, scan))
    return out


def clean_clip(clip):
    """The clip's clean frames as a clip of their own, for checking that a filter leaves a
    picture without artifacts alone."""
    return Clip(clip.scene, clip.split, clip.motion, clip.standard, clip.scan, "clean",
                clip.matrix, clip.clean, clip.clean, clip.lines)
