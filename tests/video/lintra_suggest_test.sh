#!/usr/bin/env bash
# lintra suggest end to end: a picture with a known line pattern gives the same suggestion as a
# PNG and as a short video; the suggestion's options and Config line are the same settings;
# --report writes a picture; lintra video --suggest filters with exactly those settings; a
# clean picture gets thresholds 0; bad input ends with a message and the right status.
#   lintra_suggest_test.sh LINTRA
set -euo pipefail
lintra=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

ff() { ffmpeg -nostdin -hide_banner -v error -y "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
field() { sed -n "s/^$1: //p" "$2"; }
expect_failure() {
    local name=$1 status=$2 part=$3
    shift 3
    local rc=0
    "$@" > out.txt 2> err.txt || rc=$?
    [ "$rc" -eq "$status" ] || fail "$name: exit status $rc, expected $status: $(cat err.txt)"
    grep -qF -- "$part" err.txt || fail "$name: message lacks '$part': $(cat err.txt)"
    echo "ok: $name: $(head -n 1 err.txt)"
}

# The built-in sample carries a small pattern that alternates every two lines.
"$lintra" --write-sample sample.png
"$lintra" suggest sample.png --report report.png > png.txt
options=$(field options png.txt)
config=$(sed -n '2p' png.txt)
echo "sample: $options"
case "$options" in --interlaced*) ;; *) fail "the sample's pattern is two lines apart: $options" ;; esac
[[ "$options" =~ --chroma-threshold\ ([0-9]+) ]] && [ "${BASH_REMATCH[1]}" -gt 0 ] ||
    fail "no chroma threshold for the sample: $options"
grep -q '^measured: 1 frame of 720x576' png.txt || fail "measurements: $(cat png.txt)"
# shellcheck disable=SC2086
[ "$("$lintra" $options --print-config)" = "$config" ] || fail "options and $config differ"
size=$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 report.png)
[ "$size" = "1056,808" ] || fail "report is $size, expected 1056,808 (panels over the 720x576 frame)"
echo "ok: report $size"

# The same picture as a lossless video of 12 frames: the same suggestion from 8 of them.
ff -loop 1 -i sample.png -frames:v 12 -c:v ffv1 -pix_fmt bgr0 sample.mkv
"$lintra" suggest sample.mkv > video.txt
[ "$(field options video.txt)" = "$options" ] || fail "video: $(field options video.txt), PNG: $options"
grep -q '^measured: 8 frames of 720x576' video.txt || fail "video measurements: $(cat video.txt)"
"$lintra" suggest --frames 3 sample.mkv | grep -q '^measured: 3 frames' || fail "--frames 3"
echo "ok: video gives the PNG's suggestion"

# lintra video --suggest filters with exactly the suggested settings.
# shellcheck disable=SC2086
"$lintra" video sample.mkv explicit.mkv --codec ffv1 $options 2> /dev/null
"$lintra" video sample.mkv suggested.mkv --codec ffv1 --suggest 2> suggest_err.txt
grep -qF "suggested $options" suggest_err.txt || fail "video --suggest said: $(cat suggest_err.txt)"
[ "$(ff -i explicit.mkv -f framemd5 -)" = "$(ff -i suggested.mkv -f framemd5 -)" ] ||
    fail "lintra video --suggest differs from the suggested options"
echo "ok: lintra video --suggest"

# Without its pattern the sample gets thresholds 0: the filter leaves it as it is.
"$lintra" --write-clean-sample clean.png
"$lintra" suggest clean.png > clean.txt
field options clean.txt | grep -q -- '--luma-threshold 0 .*--chroma-threshold 0$' ||
    fail "clean sample: $(cat clean.txt)"
echo "ok: clean sample: $(field options clean.txt)"

expect_failure "no input" 2 "missing INPUT" "$lintra" suggest
expect_failure "standard input" 2 "'-' (standard input) is not supported" "$lintra" suggest -
expect_failure "two inputs" 2 "one INPUT only" "$lintra" suggest a.png b.png
expect_failure "frames 0" 2 "--frames needs a number from 1 to 1000" "$lintra" suggest --frames 0 sample.png
expect_failure "unknown option" 2 "unknown option '--sharpen'" "$lintra" suggest --sharpen sample.png
expect_failure "missing file" 1 "cannot read missing.png" "$lintra" suggest missing.png
echo "not a video" > text.mkv
expect_failure "not a video" 1 "text.mkv" "$lintra" suggest text.mkv
expect_failure "report into a missing folder" 1 "nowhere/r.png" "$lintra" suggest sample.png --report nowhere/r.png
echo "all lintra suggest checks passed"
