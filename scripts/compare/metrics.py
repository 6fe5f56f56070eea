"""Figures of a filtered clip against its clean source, on 4:2:2 8-bit frames.

  PSNR      over every sample of the 4:2:2 picture (Y, U and V together), and luma (Y)
            and chroma (U, V) apart;
  SSIM      of luma, Gaussian window (sigma 1.5), the usual constants;
  flat      PSNR over flat areas, where rainbows and dots show most: pixels whose clean
            luma changes by at most FLAT_STEP steps to each neighbour within 2 pixels;
  edges     luma PSNR over edges: clean luma gradient of at least EDGE_STEP steps;
  lines     the share of the fine horizontal lines' energy kept (charts only): the filtered
            picture's vertical detail projected on the clean one's, in the line patches.
"""

import numpy as np
from scipy import ndimage

FLAT_STEP = 2
EDGE_STEP = 24


def _mse_to_psnr(mse):
    return 99.0 if mse <= 1e-10 else 10 * np.log10(255.0 ** 2 / mse)


def _gradient(y):
    y = y.astype(np.float64)
    gx = np.abs(np.diff(y, axis=1, append=y[:, -1:]))
    gy = np.abs(np.diff(y, axis=0, append=y[-1:, :]))
    return np.maximum(gx, gy)


def masks(clean_y):
    g = _gradient(clean_y)
    flat = ndimage.maximum_filter(g, size=5) <= FLAT_STEP
    sobel = np.hypot(ndimage.sobel(clean_y.astype(np.float64), 1),
                     ndimage.sobel(clean_y.astype(np.float64), 0)) / 8
    edges = sobel >= EDGE_STEP
    return flat, edges


def ssim(a, b):
    a, b = a.astype(np.float64), b.astype(np.float64)
    c1, c2 = (0.01 * 255) ** 2, (0.03 * 255) ** 2

    def blur(x):
        return ndimage.gaussian_filter(x, 1.5, truncate=3.5)

    ma, mb = blur(a), blur(b)
    va, vb, cov = blur(a * a) - ma * ma, blur(b * b) - mb * mb, blur(a * b) - ma * mb
    s = ((2 * ma * mb + c1) * (2 * cov + c2)) / ((ma * ma + mb * mb + c1) * (va + vb + c2))
    return float(s[5:-5, 5:-5].mean())


def _vertical_detail(y):
    y = y.astype(np.float64)
    return y - ndimage.uniform_filter1d(y, 9, axis=0)


class Accumulator:
    """Sums over the measured frames of one clip (or many), turned into figures at the end."""

    def __init__(self, full=True):
        self.full = full
        self.sums = {}
        self.counts = {}
        self.ssim = []

    def _add(self, key, sq_err, n):
        self.sums[key] = self.sums.get(key, 0.0) + float(sq_err)
        self.counts[key] = self.counts.get(key, 0) + int(n)

    def add(self, out, clean, lines_mask=None):
        err = [(o.astype(np.float64) - c) ** 2 for o, c in zip(out, clean)]
        self._add("y", err[0].sum(), err[0].size)
        self._add("c", err[1].sum() + err[2].sum(), err[1].size * 2)
        if not self.full:
            return
        flat, edges = masks(clean[0])
        cflat = flat[:, 0::2]
        self._add("flat_y", err[0][flat].sum(), flat.sum())
        self._add("flat_c", err[1][cflat].sum() + err[2][cflat].sum(), 2 * cflat.sum())
        self._add("edge_y", err[0][edges].sum(), edges.sum())
        self.ssim.append(ssim(out[0], clean[0]))
        if lines_mask is not None and lines_mask.any():
            inner = ndimage.binary_erosion(lines_mask > 0.5, iterations=5)
            hc, ho = _vertical_detail(clean[0]), _vertical_detail(out[0])
            self.sums["lines_dot"] = self.sums.get("lines_dot", 0.0) + float((ho * hc)[inner].sum())
            self.sums["lines_sq"] = self.sums.get("lines_sq", 0.0) + float((hc * hc)[inner].sum())

    def psnr(self, key):
        return _mse_to_psnr(self.sums[key] / max(self.counts[key], 1))

    def psnr_all(self):
        return _mse_to_psnr((self.sums["y"] + self.sums["c"]) / (self.counts["y"] + self.counts["c"]))

    def figures(self):
        out = {"psnr": self.psnr_all(), "psnr_y": self.psnr("y"), "psnr_c": self.psnr("c")}
        if self.full:
            out.update(ssim=float(np.mean(self.ssim)), flat_y=self.psnr("flat_y"),
                       flat_c=self.psnr("flat_c"), edge_y=self.psnr("edge_y"))
            if self.sums.get("lines_sq"):
                out["lines"] = 100.0 * self.sums["lines_dot"] / self.sums["lines_sq"]
        return out
