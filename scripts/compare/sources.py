"""Clean scenes for the comparison: two generated charts and natural pictures that
scikit-image ships, rendered static, panning or zooming, at frame or field times.

Pictures and their licences (scikit-image's own statement for each file):
  coffee     CC0, by the photographer (Rachel Michetti)
  astronaut  NASA, no known copyright restrictions, public domain
  rocket     SpaceX, released into the public domain
"""

import numpy as np
from scipy import ndimage

# Scene name -> the split it belongs to. `lintra suggest` is designed on "design" scenes only
# and judged on "held-out" ones; the filters' tuned settings are searched on "design" too.
SCENES = {
    "chart-a": "design",
    "coffee": "design",
    "chart-b": "held-out",
    "astronaut": "held-out",
    "rocket": "held-out",
}

MOTIONS = ("static", "pan", "zoom")

# Per field time: a pan moves 3 pixels right and 1 down, a zoom grows by 0.6 %.
PAN_PER_FIELD = (3.0, 1.0)
ZOOM_PER_FIELD = 0.006


def _bars(canvas, x0, y0, w, h):
    colours = [(0.75, 0.75, 0.75), (0.75, 0.75, 0), (0, 0.75, 0.75), (0, 0.75, 0),
               (0.75, 0, 0.75), (0.75, 0, 0), (0, 0, 0.75)]
    bw = w // len(colours)
    for i, c in enumerate(colours):
        canvas[y0:y0 + h, x0 + i * bw:x0 + (i + 1) * bw] = c


def _multiburst(canvas, x0, y0, w, h, freqs, level=0.5, depth=0.35):
    """Vertical stripes of rising horizontal frequency (cycles per pixel): where a
    decoder takes luma detail for chroma."""
    seg = w // len(freqs)
    for i, f in enumerate(freqs):
        x = np.arange(seg)
        row = level + depth * np.sin(2 * np.pi * f * x)
        canvas[y0:y0 + h, x0 + i * seg:x0 + (i + 1) * seg] = row[None, :, None]


def _zone(canvas, cx, cy, r, k):
    y, x = np.mgrid[-r:r, -r:r].astype(np.float64)
    inside = x * x + y * y < r * r
    v = 0.5 + 0.4 * np.cos(k * (x * x + y * y))
    region = canvas[cy - r:cy + r, cx - r:cx + r]
    region[inside] = v[inside][:, None]


def _lines(canvas, mask, x0, y0, w, h, period, amplitude, base):
    """Fine horizontal lines: the detail a line comb must keep. Marked in `mask`."""
    rows = (np.arange(h) // (period // 2)) % 2
    value = base + amplitude * (rows - 0.5)
    canvas[y0:y0 + h, x0:x0 + w] = value[:, None, None]
    mask[y0:y0 + h, x0:x0 + w] = 1.0


def _colour_blocks(canvas, rng, x0, y0, w, h, n):
    for _ in range(n):
        bw, bh = rng.integers(24, 80), rng.integers(16, 60)
        x, y = x0 + rng.integers(0, w - bw), y0 + rng.integers(0, h - bh)
        canvas[y:y + bh, x:x + bw] = rng.uniform(0.1, 0.9, 3)


def chart(variant):
    """A generated chart, 1000 x 800, its detail in the middle 700 x 440 that every frame
    shows: bars, multiburst, a zone plate, a hue ramp, colour blocks with sharp edges, and
    patches of fine horizontal lines (2- and 4-line periods). Variant "b" has other
    frequencies and colours and is mirrored."""
    rng = np.random.default_rng(1 if variant == "a" else 2)
    h, w = 800, 1000
    canvas = np.zeros((h, w, 3))
    mask = np.zeros((h, w))
    canvas[:] = (0.45, 0.42, 0.48) if variant == "a" else (0.38, 0.45, 0.40)
    _bars(canvas, 150, 180, 700, 50)
    freqs = (0.05, 0.1, 0.16, 0.22, 0.26, 0.3) if variant == "a" else (0.07, 0.12, 0.18, 0.24, 0.28, 0.33)
    _multiburst(canvas, 150, 240, 700, 60, freqs)
    _zone(canvas, 290, 430, 110, 0.0086 if variant == "a" else 0.0095)
    ramp = np.linspace(0, 1, 400)
    phase = 0 if variant == "a" else 0.4
    hue = np.stack([0.5 + 0.4 * np.sin(2 * np.pi * (ramp + phase + s)) for s in (0, 1 / 3, 2 / 3)], -1)
    canvas[320:370, 440:840] = hue[None]
    _colour_blocks(canvas, rng, 440, 380, 400, 110, 8)
    amplitudes = ((2, 0.16), (2, 0.4), (4, 0.25), (4, 0.5)) if variant == "a" else \
        ((2, 0.24), (2, 0.5), (4, 0.16), (4, 0.4))
    for i, (period, amplitude) in enumerate(amplitudes):
        _lines(canvas, mask, 440 + i * 100, 500, 90, 80, period, amplitude, 0.5)
    _colour_blocks(canvas, rng, 160, 550, 260, 70, 6)
    if variant == "b":
        canvas, mask = canvas[:, ::-1], mask[:, ::-1]
    return np.clip(canvas, 0, 1), mask


def natural(name):
    from skimage import data
    picture = getattr(data, name)()
    return picture.astype(np.float64) / 255.0, np.zeros(picture.shape[:2])


def scene(name):
    """(RGB picture in 0..1, line-detail mask) of a scene."""
    if name.startswith("chart-"):
        return chart(name[-1])
    return natural(name)


def _sample(picture, mask, ys, xs):
    coords = np.stack([ys, xs])
    out = np.empty(ys.shape + (3,))
    for c in range(3):
        out[..., c] = ndimage.map_coordinates(picture[..., c], coords, order=3, mode="mirror")
    m = ndimage.map_coordinates(mask, coords, order=1, mode="constant")
    return np.clip(out, 0, 1), m


def render(picture, mask, width, height, motion, t, line_step=1.0):
    """The frame of `width` x `height` at field time t. A picture smaller than the frame
    and its travel is scaled up to cover it. line_step 2 renders a line-doubled raster's
    lines (a 240- or 288-line progressive picture)."""
    ph, pw = picture.shape[:2]
    travel = 40 * PAN_PER_FIELD[0]
    scale = max((width + travel) / pw, (height * line_step + 40 * PAN_PER_FIELD[1]) / ph, 1.0)
    ys, xs = np.mgrid[0:height, 0:width].astype(np.float64)
    ys = ys * line_step + (line_step - 1) / 2
    cy, cx = height * line_step / 2, width / 2
    dx, dy, zoom = 0.0, 0.0, 1.0
    if motion == "pan":
        dx, dy = PAN_PER_FIELD[0] * t, PAN_PER_FIELD[1] * t
    elif motion == "zoom":
        zoom = 1.0 + ZOOM_PER_FIELD * t
    # Frame point -> picture point: undo zoom around the frame centre, add the pan, then
    # into the (scaled) picture with its centre on the frame centre.
    fx = (xs - cx) / zoom + dx - travel / 2
    fy = (ys - cy) / zoom + dy - 20 * PAN_PER_FIELD[1]
    px = fx / scale + pw / 2 - 0.5
    py = fy / scale + ph / 2 - 0.5
    return _sample(picture, mask, py, px)


def woven_frames(picture, mask, width, height, motion, count):
    """Frames of woven fields: the top field (even lines) at field time 2k, the bottom
    field at 2k + 1, as an interlaced camera and a capture card deliver them."""
    frames, masks = [], []
    for k in range(count):
        top, mtop = render(picture, mask, width, height, motion, 2 * k)
        bottom, mbottom = render(picture, mask, width, height, motion, 2 * k + 1)
        top[1::2], mtop[1::2] = bottom[1::2], mbottom[1::2]
        frames.append(top)
        masks.append(mtop)
    return frames, masks


def progressive_frames(picture, mask, width, lines, motion, count):
    """Frames of a non-interlaced raster (240 or 288 lines, as home computers and
    consoles send them): one field per frame, each its own time."""
    frames, masks = [], []
    for k in range(count):
        f, m = render(picture, mask, width, lines, motion, k, line_step=2.0)
        frames.append(f)
        masks.append(m)
    return frames, masks
