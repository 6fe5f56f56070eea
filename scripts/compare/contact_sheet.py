"""A PNG of the same crops through every filter, at twice their size, for a person to
look at: clean, decoded, and each filter's tuned settings (Lintra's defaults and suggested
settings too)."""

import numpy as np
from PIL import Image, ImageDraw, ImageFont

from picture import yuv_to_rgb

# (clip name, frame, x, y, width, height, caption)
VIEWS = [
    ("chart-b/pan/ntsc-woven/strong", 3, 470, 250, 120, 80,
     "chart-b panning, NTSC woven fields, notch decoder (strong), frame 3"),
    ("chart-b/static/ntsc-woven/strong", 3, 488, 250, 120, 80,
     "chart-b static, NTSC woven fields, notch decoder (strong), frame 3"),
    ("rocket/pan/ntsc-woven/strong", 3, 0, 300, 120, 80,
     "rocket panning, NTSC woven fields, notch decoder (strong), frame 3"),
]
TILES = ["clean", "decoded, no filter", "Lintra, defaults", "Lintra, tuned",
         "Lintra, lintra suggest", "ffmpeg dedot, tuned", "Dedot, tuned", "DotKillS, tuned",
         "DeCross, tuned", "Bifrost, tuned"]
COLUMNS = 5
SCALE = 2
LABEL = 18


class Sheet:
    def __init__(self):
        self.crops = {}

    def offer(self, label, clip, outputs):
        for view in VIEWS:
            name, n, x, y, w, h, _ = view
            if clip.name != name:
                continue
            rgb = yuv_to_rgb(outputs[n])[y:y + h, x:x + w]
            self.crops[(name, label)] = rgb
            self.crops[(name, "clean")] = yuv_to_rgb(clip.clean[n])[y:y + h, x:x + w]

    def save(self, path):
        font = ImageFont.load_default(size=13)
        tw, th = VIEWS[0][4] * SCALE, VIEWS[0][5] * SCALE
        rows_per_view = (len(TILES) + COLUMNS - 1) // COLUMNS
        view_h = LABEL + rows_per_view * (th + LABEL)
        sheet = Image.new("RGB", (COLUMNS * tw, len(VIEWS) * view_h), (24, 24, 24))
        draw = ImageDraw.Draw(sheet)
        for v, (name, _, _, _, _, _, caption) in enumerate(VIEWS):
            top = v * view_h
            draw.text((4, top + 2), caption, fill=(255, 255, 160), font=font)
            for i, label in enumerate(TILES):
                crop = self.crops.get((name, label))
                x = (i % COLUMNS) * tw
                y = top + LABEL + (i // COLUMNS) * (th + LABEL)
                draw.text((x + 4, y + 2), label, fill=(230, 230, 230), font=font)
                if crop is not None:
                    big = np.repeat(np.repeat(crop, SCALE, 0), SCALE, 1)
                    sheet.paste(Image.fromarray(big), (x, y + LABEL))
        sheet.save(path, optimize=True)
