"""4:2:2 8-bit BT.601 limited-range frames as RGB pictures, for looking at them."""

import numpy as np


def yuv_to_rgb(frame):
    y, u, v = (p.astype(np.float64) for p in frame)
    u = (np.repeat(u, 2, axis=1) - 128) * (255 / 224)
    v = (np.repeat(v, 2, axis=1) - 128) * (255 / 224)
    y = (y - 16) * (255 / 219)
    rgb = np.stack([y + 1.402 * v, y - 0.344136 * u - 0.714136 * v, y + 1.772 * u], axis=-1)
    return np.clip(np.round(rgb), 0, 255).astype(np.uint8)
