"""Lintra against the dot-crawl and rainbow filters users would pick instead, on composite
material made by material.py. Writes results.json, tables.md and contact_sheet.png into
the output folder. See README, "Lintra beside other filters".

  run_compare.py --lintra build/cli/lintra --plugin build/vapoursynth/lintra_vapoursynth.so OUT
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
import vapoursynth as vs

import contact_sheet
import filters
import material
import metrics
import tables

GROUPS = [("ntsc", "woven"), ("pal", "woven"), ("ntsc", "progressive"), ("pal", "progressive")]


def figures(outputs, clip, full=True):
    acc = metrics.Accumulator(full)
    for n in material.MEASURED:
        acc.add(outputs[n], clip.clean[n], clip.lines[n] if clip.lines else None)
    return acc


class Runner:
    def __init__(self, core, lintra_binary, tmp):
        self.core = core
        self.lintra_binary = lintra_binary
        self.tmp = tmp

    def _source(self, clips):
        frames = [f for c in clips for f in c.decoded]
        return material.frames_to_clip(self.core, frames, vs.YUV422P8)

    def vs_outputs(self, family, params, clips, ctx, every_frame=False):
        """Each clip's filtered frames (None where not needed), and the seconds taken."""
        function = filters.FAMILIES[family][0]
        out = function(self.core, self._source(clips), params, ctx)
        wanted = range(material.FRAMES) if every_frame else material.MEASURED
        result = []
        start = time.perf_counter()
        for i in range(len(clips)):
            frames = [None] * material.FRAMES
            for n in wanted:
                f = out.get_frame(i * material.FRAMES + n)
                frames[n] = tuple(np.asarray(f[p]).copy() for p in range(3))
            result.append(frames)
        return result, time.perf_counter() - start

    def ffmpeg_outputs(self, params, clips):
        frames = [f for c in clips for f in c.decoded]
        start = time.perf_counter()
        out = filters.run_ffmpeg_dedot(frames, params)
        seconds = time.perf_counter() - start
        return [out[i * material.FRAMES:(i + 1) * material.FRAMES]
                for i in range(len(clips))], seconds

    def outputs(self, family, params, clips, ctx, every_frame=False):
        if family == "ffmpeg dedot":
            return self.ffmpeg_outputs(params, clips)
        return self.vs_outputs(family, params, clips, ctx, every_frame)

    def source_seconds(self, clips):
        """Fetching the source frames alone, taken off every VapourSynth filter's time."""
        src = self._source(clips)
        start = time.perf_counter()
        for n in range(src.num_frames):
            src.get_frame(n)
        return time.perf_counter() - start

    def tune(self, family, clips, ctx):
        """The grid point with the best PSNR (all of Y, U, V) over the design clips."""
        best = None
        for params in filters.FAMILIES[family][2](ctx["scan"]):
            outs, _ = self.outputs(family, params, clips, ctx)
            acc = metrics.Accumulator(full=False)
            for o, c in zip(outs, clips):
                for n in material.MEASURED:
                    acc.add(o[n], c.clean[n])
            score = acc.psnr_all()
            if best is None or score > best[0]:
                best = (score, params)
        return best[1]

    def suggest(self, clip):
        """`lintra suggest` on the clip's frames: its options, as the plug-in's settings text."""
        w, h = clip.size
        path = os.path.join(self.tmp, "clip.nut")
        raw = b"".join(p.tobytes() for f in clip.decoded for p in f)
        colour = "smpte170m" if clip.matrix == "170m" else "bt470bg"
        subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "rawvideo",
                        "-pix_fmt", "yuv422p", "-s", f"{w}x{h}", "-r", "30000/1001", "-i", "-",
                        "-colorspace", colour, "-color_range", "tv", "-c:v", "ffv1", path],
                       input=raw, check=True)
        run = subprocess.run([self.lintra_binary, "suggest", path], capture_output=True,
                             text=True, check=True)
        for line in run.stdout.splitlines():
            if line.startswith("options: "):
                return line[len("options: "):], run.stdout
        raise RuntimeError("lintra suggest printed no options:\n" + run.stdout)


def configs_for(tuned):
    """(label, family, params) of every configuration the comparison runs."""
    rows = []
    for family in filters.FAMILIES:
        name = filters.DISPLAY[family]
        rows.append((f"{name}, defaults", family, filters.FAMILIES[family][1]))
        rows.append((f"{name}, tuned", family, tuned[family]))
    return rows


def run_group(runner, standard, scan, args, results, sheet):
    core = runner.core
    t0 = time.perf_counter()
    clips = material.group_clips(core, standard, scan, args.scenes)
    print(f"== {standard} {scan}: {len(clips)} clips made in {time.perf_counter() - t0:.0f} s",
          flush=True)
    ctx = {"matrix": clips[0].matrix, "scan": scan}
    design = [c for c in clips if c.split == "design"]
    tuned = {}
    for family in filters.FAMILIES:
        t1 = time.perf_counter()
        tuned[family] = runner.tune(family, design, ctx)
        print(f"   tuned {family}: {tuned[family]} ({time.perf_counter() - t1:.0f} s)", flush=True)
    frames = len(clips) * material.FRAMES
    group = {"standard": standard, "scan": scan, "tuned": tuned, "frames": frames, "rows": []}

    def record(label, family, params, outs, per_clip_params=None):
        for i, (o, c) in enumerate(zip(outs, clips)):
            row = {"config": label, "family": family, "clip": c.name, "scene": c.scene,
                   "split": c.split, "motion": c.motion, "strength": c.strength,
                   "params": per_clip_params[i] if per_clip_params else params}
            acc = figures(o, c)
            row["figures"] = acc.figures()
            row["sums"], row["counts"] = acc.sums, acc.counts
            group["rows"].append(row)
            sheet.offer(label, c, o)

    decoded = [c.decoded for c in clips]
    record("decoded, no filter", None, {}, decoded)
    for label, family, params in configs_for(tuned):
        t1 = time.perf_counter()
        outs, _ = runner.outputs(family, params, clips, ctx)
        record(label, family, params, outs)
        print(f"   {label} ({time.perf_counter() - t1:.0f} s)", flush=True)
    # Lintra with the settings `lintra suggest` gives for each clip.
    t1 = time.perf_counter()
    outs, texts = [], []
    for c in clips:
        text, report = runner.suggest(c)
        texts.append(text)
        o, _ = runner.vs_outputs("lintra", {"settings": text}, [c], ctx)
        outs.append(o[0])
    record("Lintra, lintra suggest", "lintra", None, outs, texts)
    print(f"   lintra suggest ({time.perf_counter() - t1:.0f} s)", flush=True)
    # Clean clips (no artifacts): what suggest and the defaults do to them. Unchanged is the
    # mark: a clip left sample for sample has an infinite PSNR against itself.
    seen = set()
    for c in clips:
        key = (c.scene, c.motion)
        if key in seen:
            continue
        seen.add(key)
        cc = material.clean_clip(c)
        text, _ = runner.suggest(cc)
        row = {"clip": cc.name, "scene": cc.scene, "split": cc.split, "motion": cc.motion,
               "suggest": text}
        for label, params in (("defaults", {}), ("suggest", {"settings": text})):
            o, _ = runner.vs_outputs("lintra", params, [cc], ctx)
            acc = figures(o[0], cc, full=False)
            row[label] = acc.psnr_all()
            row[label + " unchanged"] = all(
                all((a == b).all() for a, b in zip(o[0][n], cc.clean[n])) for n in material.MEASURED)
        group.setdefault("clean", []).append(row)
    results["groups"].append(group)
    print(f"   group done in {time.perf_counter() - t0:.0f} s", flush=True)
    return clips, ctx, tuned


def measure_speed(runner, clips, ctx, tuned, results, repeats=3):
    """Frames per second of every configuration on the same 720x480 frames, one thread, the
    best of `repeats` runs; VapourSynth filters less the time their source takes alone."""
    frames = len(clips) * material.FRAMES
    source = min(runner.source_seconds(clips) for _ in range(repeats))
    speed = {"frames": frames, "size": "x".join(map(str, clips[0].size)), "fps": {}}
    for label, family, params in configs_for(tuned):
        best = None
        for _ in range(repeats):
            _, seconds = runner.outputs(family, params, clips, ctx, every_frame=True)
            best = seconds if best is None else min(best, seconds)
        if family != "ffmpeg dedot":
            best = max(best - source, 1e-6)
        speed["fps"][label] = frames / best
        print(f"   {label}: {frames / best:.0f} fps", flush=True)
    # lintra suggest itself: reading 8 frames of a clip through ffmpeg and measuring them.
    start = time.perf_counter()
    for c in clips[:repeats]:
        runner.suggest(c)
    speed["suggest_seconds"] = (time.perf_counter() - start) / repeats
    results["speed"] = speed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--lintra", required=True)
    parser.add_argument("--plugin", required=True)
    parser.add_argument("--scenes", nargs="*", default=None)
    parser.add_argument("--groups", nargs="*", default=None, help="e.g. ntsc-woven")
    parser.add_argument("out")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    core = vs.core
    core.num_threads = 1
    if hasattr(core, "lintra"):
        sys.exit("a Lintra plug-in is already in VapourSynth's plugins folder; remove it, so "
                 "that this build's is measured")
    core.std.LoadPlugin(os.path.abspath(args.plugin))
    start = time.perf_counter()
    results = {"groups": []}
    sheet = contact_sheet.Sheet()
    with tempfile.TemporaryDirectory() as tmp:
        runner = Runner(core, os.path.abspath(args.lintra), tmp)
        timed = None
        for standard, scan in GROUPS:
            if args.groups and f"{standard}-{scan}" not in args.groups:
                continue
            made = run_group(runner, standard, scan, args, results, sheet)
            if timed is None:
                timed = made
        print("== speed", flush=True)
        measure_speed(runner, *timed, results)
    results["seconds"] = time.perf_counter() - start
    with open(os.path.join(args.out, "results.json"), "w") as f:
        json.dump(results, f, indent=1)
    with open(os.path.join(args.out, "tables.md"), "w") as f:
        f.write(tables.markdown(results))
    sheet.save(os.path.join(args.out, "contact_sheet.png"))
    print(f"== done in {results['seconds'] / 60:.1f} minutes: {args.out}/tables.md, "
          f"{args.out}/contact_sheet.png")


if __name__ == "__main__":
    main()
