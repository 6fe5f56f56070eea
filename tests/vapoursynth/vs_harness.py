"""Shared by the plug-in's script tests: a core that loads this build's plug-in (and nothing
from the plugins folder, where an installed copy may sit), clips made from raw 32-bit frames,
frames read back, and the lintra command on the same pixels."""

import ctypes
import os
import subprocess
import sys

import vapoursynth as vs


class _OneCore(vs.EnvironmentPolicy):
    """One core for the process, created without autoloading the plugins folder."""

    def on_policy_registered(self, special_api):
        self._api = special_api
        self._env = special_api.create_environment(vs.DISABLE_AUTO_LOADING)

    def on_policy_cleared(self):
        self._api.destroy_environment(self._env)
        self._env = None

    def get_current_environment(self):
        return self._env

    def set_environment(self, environment):
        return self._env

    def is_alive(self, environment):
        return environment is self._env


def core_with_plugin(plugin):
    vs.register_policy(_OneCore())
    core = vs.core
    core.std.LoadPlugin(plugin)
    return core


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def ffmpeg(*args, **kwargs):
    return subprocess.run(["ffmpeg", "-nostdin", "-hide_banner", "-v", "error", *args],
                          check=True, capture_output=True, **kwargs).stdout


def test_frames(width, height, count):
    """Raw bgr0 frames of a moving test picture with grain, which gives the filter
    line-to-line departures to remove (testsrc2 makes even sizes; odd ones are cropped)."""
    even_w, even_h = (width + 1) // 2 * 2, (height + 1) // 2 * 2
    return ffmpeg("-f", "lavfi", "-i",
                  f"testsrc2=s={even_w}x{even_h}:r=25,format=rgba,crop={width}:{height}:0:0,"
                  "noise=alls=14:allf=t",
                  "-frames:v", str(count), "-f", "rawvideo", "-pix_fmt", "bgr0", "-")


def lintra(binary, options, width, height, bgr0):
    """The command's output for raw bgr0 frames."""
    run = subprocess.run([binary, *options, "--size", f"{width}x{height}", "-", "-"],
                         input=bgr0, capture_output=True)
    if run.returncode != 0:
        fail(f"lintra {' '.join(options)}: {run.stderr.decode().strip()}")
    return run.stdout


def colour_bytes(bgr0):
    """B, G, R of every pixel: byte 3 is not part of an RGB24 picture."""
    out = bytearray(len(bgr0) // 4 * 3)
    for i in range(3):
        out[i::3] = bgr0[i::4]
    return bytes(out)


def clip_from_bgr0(core, bgr0, width, height, count):
    """An RGB24 clip whose frames carry the given raw bgr0 frames' pixels."""
    size = width * height * 4
    blank = core.std.BlankClip(format=vs.RGB24, width=width, height=height, length=count)

    def fill(n, f):
        frame = f.copy()
        pixels = bgr0[n * size:(n + 1) * size]
        for plane, offset in ((0, 2), (1, 1), (2, 0)):
            samples = pixels[offset::4]
            base, stride = frame.get_write_ptr(plane).value, frame.get_stride(plane)
            for y in range(height):
                ctypes.memmove(base + y * stride, samples[y * width:(y + 1) * width], width)
        return frame

    return core.std.ModifyFrame(blank, blank, fill)


def frame_colour_bytes(frame):
    """B, G, R of every pixel of an RGB24 frame, rows without gaps."""
    width, height = frame.width, frame.height
    planes = []
    for plane in range(3):
        base, stride = frame.get_read_ptr(plane).value, frame.get_stride(plane)
        planes.append(b"".join(ctypes.string_at(base + y * stride, width) for y in range(height)))
    out = bytearray(width * height * 3)
    out[0::3], out[1::3], out[2::3] = planes[2], planes[1], planes[0]
    return bytes(out)


def clip_colour_bytes(clip):
    return b"".join(frame_colour_bytes(f) for f in clip.frames())


def paths_from_argv():
    """lintra binary and plug-in path, as CTest passes them."""
    if len(sys.argv) < 3:
        fail(f"usage: {os.path.basename(sys.argv[0])} LINTRA PLUGIN")
    return sys.argv[1], sys.argv[2]
