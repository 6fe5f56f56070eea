#!/usr/bin/env bash
# What a user does: a fresh virtual environment, `pip install vapoursynth`, the tree configured
# against it, the plug-in built and installed with cmake --install; then a script that loads
# nothing by hand gets core.lintra.Lintra by autoloading, and its frames, requested out of
# order on two threads, are what lintra makes of the same pixels.
#   fresh_venv_test.sh SOURCE_DIR PYTHON_OF_DOT_VENV LINTRA
set -euo pipefail
src=$1
dot_venv_python=$2
lintra=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

base=$("$dot_venv_python" -c "import sys; print(sys._base_executable)")
version=$("$dot_venv_python" -c "from importlib.metadata import version; print(version('vapoursynth'))")
"$base" -m venv "$work/venv"
"$work/venv/bin/python" -m pip install -q --disable-pip-version-check "vapoursynth==$version"

cmake -S "$src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DLINTRA_BUILD_TESTS=OFF \
    -DLINTRA_BUILD_CLI=OFF -DLINTRA_NESTED_BUILDS=OFF \
    -DLINTRA_VAPOURSYNTH_PYTHON="$work/venv/bin/python" > "$work/configure.log"
cmake --build "$work/build" -j 2 --target lintra_vapoursynth > "$work/build.log" ||
    { tail -30 "$work/build.log" >&2; fail "the plug-in did not build"; }
cmake --install "$work/build" --component vapoursynth > "$work/install.log"
grep -q "venv/lib/.*/site-packages/vapoursynth/plugins/lintra_vapoursynth.so" "$work/install.log" ||
    { cat "$work/install.log" >&2; fail "not installed into the new environment's plugins folder"; }

PYTHONPATH="$(dirname "$0")" "$work/venv/bin/python" -B - "$lintra" <<'PY'
import hashlib
import random
import sys

import vapoursynth as vs
import vs_harness as h

core = vs.core  # autoloads the plugins folder
core.num_threads = 2
width, height, frames = 72, 40, 60
source = h.test_frames(width, height, frames)
clip = h.clip_from_bgr0(core, source, width, height, frames)
filtered = core.lintra.Lintra(clip)
order = list(range(frames))
random.Random(3).shuffle(order)
futures = {n: filtered.get_frame_async(n) for n in order}
got = b"".join(h.frame_colour_bytes(futures[n].result()) for n in range(frames))
want = h.colour_bytes(h.lintra(sys.argv[1], [], width, height, source))
if got != want:
    h.fail("the autoloaded plug-in differs from lintra")
print(f"ok: {core.lintra.plugin_path}: {frames} frames {width}x{height} on 2 threads "
      f"equal lintra ({hashlib.sha256(got).hexdigest()[:16]})")
PY
