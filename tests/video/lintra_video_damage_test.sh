#!/usr/bin/env bash
# lintra video gives every frame or an error, with real ffmpeg: a file cut short, a stream whose
# frame size changes, and SIGTERM, SIGINT, SIGHUP and SIGKILL while it works.
#   lintra_video_damage_test.sh LINTRA
set -euo pipefail
lintra=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
. "$(dirname "$0")/video_test_common.sh"

frames() { ffprobe -v error -count_frames -select_streams V:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1"; }
# A process that is gone or a zombie is not running.
running() { [ -e "/proc/$1" ] && ! grep -q '^[^ ]* ([^)]*) Z' "/proc/$1/stat" 2>/dev/null; }

# Files cut in half, as captures that were interrupted: Matroska (4:2:2 10-bit) and DV in AVI.
ff -f lavfi -i "testsrc2=s=176x144:r=25:d=3.04" -c:v libx264 -pix_fmt yuv422p10le whole.mkv
head -c $(($(stat -c %s whole.mkv) / 2)) whole.mkv > cut.mkv
ff -f lavfi -i "testsrc2=s=720x480:r=30000/1001:d=0.5" -vf setsar=10/11 -pix_fmt yuv411p \
    -c:v dvvideo whole.avi
head -c $(($(stat -c %s whole.avi) / 2 + 5000)) whole.avi > cut.avi

expect "cut mkv" 1 "File ended prematurely" "$lintra" video cut.mkv out/x.mkv
grep -qE "after frame [0-9]+" err.txt || fail "cut mkv: the frame reached is not named: $(cat err.txt)"
assert_nothing_written "cut mkv"
echo "ok: cut mkv: $(grep -F 'File ended' err.txt)"
expect "cut mkv, accepted" 0 "frames are missing" "$lintra" video cut.mkv out/x.mkv --accept-damaged
got=$(frames out/x.mkv)
grep -qF "the output holds the $got frames that decoded" err.txt ||
    fail "cut mkv, accepted: $got frames written, but: $(cat err.txt)"
echo "ok: cut mkv, accepted: $(grep -F warning err.txt)"
rm out/*

expect "cut avi" 1 "the decoder reported an error after frame" "$lintra" video cut.avi out/x.mkv
assert_nothing_written "cut avi"
echo "ok: cut avi: $(grep -F 'decoder reported' err.txt)"
expect "cut avi, accepted" 0 "frames the file announces are missing" \
    "$lintra" video cut.avi out/x.mkv --accept-damaged
[ "$(frames out/x.mkv)" -gt 0 ] || fail "cut avi, accepted: no frames written"
echo "ok: cut avi, accepted: $(grep -F warning err.txt)"
rm out/*

# Two transport streams joined, the second at another size.
ff -f lavfi -i "testsrc2=s=176x144:r=25:d=0.4" -c:v libx264 -pix_fmt yuv420p a.ts
ff -f lavfi -i "testsrc2=s=128x96:r=25:d=0.4" -c:v libx264 -pix_fmt yuv420p b.ts
cat a.ts b.ts > joined.ts
for accept in "" --accept-damaged; do
    expect "size change $accept" 1 "the frame size changes at frame 11 from 176x144 to 128x96" \
        "$lintra" video joined.ts out/x.mkv $accept
    assert_nothing_written "size change $accept"
done
echo "ok: size change: $(grep -F 'frame size' err.txt)"

# Signals while both ffmpeg processes run: long enough an input, a slow enough encoder.
ff -f lavfi -i "testsrc2=s=320x240:r=25:d=12" -c:v libx264 -preset ultrafast long.mkv
# run_and_signal SIGNAL STATUS: starts lintra video, sends the signal once the output is being
# written, and checks the status, the one line, and that no ffmpeg runs on.
run_and_signal() {
    local sig=$1 status=$2
    env --default-signal=INT "$lintra" video long.mkv out/x.mkv --codec libx264 --threads 1 \
        2> err.txt &
    local pid=$! children=""
    for _ in $(seq 100); do
        children=$(pgrep -P "$pid" ffmpeg | tr '\n' ' ' || true)
        [ -n "$(ls -A out)" ] && [ "$(echo $children | wc -w)" -eq 2 ] && break
        sleep 0.05
    done
    [ "$(echo $children | wc -w)" -eq 2 ] || fail "$sig: the two ffmpeg processes did not start"
    sleep 0.3
    local start end rc=0
    start=$(date +%s%N)
    kill -"$sig" "$pid"
    { wait "$pid"; } 2>/dev/null || rc=$?
    end=$(date +%s%N)
    [ "$rc" -eq "$status" ] || fail "$sig: exit status $rc, expected $status: $(cat err.txt)"
    local c
    for c in $children; do
        for _ in $(seq 20); do running "$c" || break; sleep 0.05; done
        ! running "$c" || fail "$sig: ffmpeg $c still runs after lintra ended"
    done
    echo "ok: $sig: status $rc after $(((end - start) / 1000000)) ms, no ffmpeg left: $(tail -n 1 err.txt)"
}
run_and_signal TERM 143
grep -qx "lintra: terminated (SIGTERM): ffmpeg stopped, no output written" <(tail -n 1 err.txt) ||
    fail "SIGTERM: the last line is $(tail -n 1 err.txt)"
assert_nothing_written SIGTERM
run_and_signal INT 130
assert_nothing_written SIGINT
run_and_signal HUP 129
assert_nothing_written SIGHUP
# Killed outright, lintra cannot remove its temporary file, but ffmpeg dies with it.
run_and_signal KILL 137
rm -f out/.x.lintra-*.mkv
assert_nothing_written SIGKILL
