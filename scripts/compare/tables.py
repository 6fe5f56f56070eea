"""The README's tables from results.json."""

import numpy as np

import filters
import metrics


def _pool(rows):
    sums, counts, ssim = {}, {}, []
    for r in rows:
        for k, v in r["sums"].items():
            sums[k] = sums.get(k, 0.0) + v
        for k, v in r["counts"].items():
            counts[k] = counts.get(k, 0) + v
        ssim.append(r["figures"].get("ssim", np.nan))
    acc = metrics.Accumulator()
    acc.sums, acc.counts, acc.ssim = sums, counts, ssim
    return acc.figures()


def _configs(results):
    seen = []
    for g in results["groups"]:
        for r in g["rows"]:
            if r["config"] not in seen:
                seen.append(r["config"])
    return seen


def _rows(results, config, **where):
    return [r for g in results["groups"] for r in g["rows"] if r["config"] == config
            and all((g.get(k) == v) or (r.get(k) == v) or
                    (k == "moving" and (r["motion"] != "static") == v) for k, v in where.items())]


def _fps(results, config):
    fps = results.get("speed", {}).get("fps", {}).get(config)
    return f"{fps:.0f}" if fps else ""


def overall(results):
    head = ("| filter, settings | PSNR | PSNR Y | PSNR C | SSIM Y | flat Y | flat C | edges Y "
            "| lines kept | fps |\n|---|---|---|---|---|---|---|---|---|---|\n")
    out = []
    for config in _configs(results):
        f = _pool(_rows(results, config))
        lines = f"{f['lines']:.0f} %" if "lines" in f else ""
        out.append(f"| {config} | {f['psnr']:.2f} | {f['psnr_y']:.2f} | {f['psnr_c']:.2f} | "
                   f"{f['ssim']:.4f} | {f['flat_y']:.2f} | {f['flat_c']:.2f} | {f['edge_y']:.2f} | "
                   f"{lines} | {_fps(results, config)} |")
    return head + "\n".join(out) + "\n"


def by_condition(results, strength):
    conds = [(s, sc, m) for s, sc in (("ntsc", "woven"), ("pal", "woven"), ("ntsc", "progressive"),
                                      ("pal", "progressive")) for m in (False, True)]
    conds = [c for c in conds if any(g["standard"] == c[0] and g["scan"] == c[1]
                                     for g in results["groups"])]
    head = "| filter, settings | " + " | ".join(
        f"{s.upper()} {sc} {'moving' if m else 'static'}" for s, sc, m in conds) + " |\n"
    head += "|---" * (len(conds) + 1) + "|\n"
    base = {c: _pool(_rows(results, "decoded, no filter", standard=c[0], scan=c[1], moving=c[2],
                           strength=strength))["psnr"] for c in conds}
    out = [f"| decoded, no filter (PSNR) | " + " | ".join(f"{base[c]:.2f}" for c in conds) + " |"]
    for config in _configs(results)[1:]:
        cells = []
        for c in conds:
            f = _pool(_rows(results, config, standard=c[0], scan=c[1], moving=c[2], strength=strength))
            cells.append(f"{f['psnr'] - base[c]:+.2f}")
        out.append(f"| {config} | " + " | ".join(cells) + " |")
    return head + "\n".join(out) + "\n"


def suggest(results):
    head = ("| clips | with artifacts: suggest - defaults, mean (min .. max) | better than defaults "
            "| clean clips left unchanged: suggest | the same: defaults (PSNR against the clip, lowest) |\n"
            "|---|---|---|---|---|\n")
    out = []
    for split in ("design", "held-out"):
        gains = []
        for g in results["groups"]:
            by_clip = {}
            for r in g["rows"]:
                if r["split"] == split and r["config"] in ("Lintra, defaults", "Lintra, lintra suggest"):
                    by_clip.setdefault(r["clip"], {})[r["config"]] = r["figures"]["psnr"]
            gains += [v["Lintra, lintra suggest"] - v["Lintra, defaults"] for v in by_clip.values()]
        clean = [c for g in results["groups"] for c in g.get("clean", []) if c["split"] == split]
        if not gains:
            continue
        kept = sum(c["suggest unchanged"] for c in clean)
        kept_defaults = sum(c["defaults unchanged"] for c in clean)
        lowest = min(c["defaults"] for c in clean)
        out.append(f"| {split} ({len(gains)} + {len(clean)} clean) | {np.mean(gains):+.2f} dB "
                   f"({min(gains):+.2f} .. {max(gains):+.2f}) | {sum(x > 0 for x in gains)} of "
                   f"{len(gains)} | {kept} of {len(clean)} | {kept_defaults} of {len(clean)} "
                   f"({lowest:.1f} dB) |")
    return head + "\n".join(out) + "\n"


def tuned(results):
    out = []
    for g in results["groups"]:
        parts = [f"{filters.DISPLAY[k]} " + ", ".join(f"{n}={v}" for n, v in p.items())
                 for k, p in g["tuned"].items()]
        out.append(f"- {g['standard'].upper()} {g['scan']}: " + "; ".join(parts))
    return "\n".join(out) + "\n"


def markdown(results):
    return ("### All clips\n\n" + overall(results) +
            "\n### PSNR gain over the decoded clip (dB), notch decoder (strong)\n\n" +
            by_condition(results, "strong") +
            "\n### PSNR gain over the decoded clip (dB), line-comb decoder (weak)\n\n" +
            by_condition(results, "weak") +
            "\n### lintra suggest against Lintra's defaults\n\n" + suggest(results) +
            "\n### Tuned settings\n\n" + tuned(results) +
            f"\nfps: {results['speed']['size']}, {results['speed']['frames']} frames, one thread, best "
            f"of 3. lintra suggest on an 8-frame clip: {results['speed']['suggest_seconds']:.2f} s. "
            f"Run time: {results['seconds'] / 60:.1f} minutes.\n")
