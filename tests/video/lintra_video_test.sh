#!/usr/bin/env bash
# lintra video end to end with Debian's ffmpeg: a generated clip with audio and subtitles,
# filtered losslessly with one and several threads, must decode to exactly what lintra gives on
# the decoded input frames, with the other streams copied; bad input and failing ffmpeg runs
# must end with a message, a non-zero status and no output file.
#   lintra_video_test.sh LINTRA
set -euo pipefail
lintra=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
. "$(dirname "$0")/video_test_common.sh"

# 350 pixels wide: not a multiple of 16, which lintra video handles exactly. 8-bit RGB, so that
# the filter works on the frames themselves and the lossless output is lintra's, bit for bit.
size=350x120
printf '1\n00:00:00,000 --> 00:00:00,400\nhello\n' > subs.srt
ff -f lavfi -i "testsrc2=s=$size:r=25:d=0.48,noise=alls=14:allf=t" -f lavfi -i "sine=f=440:d=0.48" \
    -i subs.srt -map 0 -map 1 -map 2 -c:v ffv1 -pix_fmt bgr0 -c:a aac -c:s srt clip.mkv

# The expectation: lintra on the decoded frames, each frame once (passthrough: without it ffmpeg
# repeats the first frame, as the clip's video starts 23 ms after its AAC audio).
settings=(--rgb --luma-length 20 --progressive)
ff -i clip.mkv -map 0:v -fps_mode passthrough -f rawvideo -pix_fmt bgr0 in.bgr0
"$lintra" "${settings[@]}" --size "$size" in.bgr0 expected.bgr0
ff -f rawvideo -pix_fmt bgr0 -s "$size" -i expected.bgr0 -f rawvideo -pix_fmt bgr24 expected.bgr
ff -f rawvideo -pix_fmt bgr0 -s "$size" -i in.bgr0 -f rawvideo -pix_fmt bgr24 in.bgr
cmp -s in.bgr expected.bgr && fail "the clip gives the filter nothing to do"
ff -i clip.mkv -map 0:a -f md5 audio.md5

for threads in 1 3; do
    out=out/clean-$threads.mkv
    "$lintra" video clip.mkv "$out" --codec ffv1 --threads "$threads" "${settings[@]}" 2> err.txt ||
        fail "lintra video --threads $threads: $(cat err.txt)"
    grep -q "^lintra: wrote $out: 12 frames of $size" err.txt || fail "no summary line: $(cat err.txt)"
    ff -i "$out" -map 0:v -fps_mode passthrough -f rawvideo -pix_fmt bgr24 got.bgr
    cmp got.bgr expected.bgr || fail "--threads $threads: frames differ from lintra on the decoded input"
    ff -i "$out" -map 0:a -f md5 got.md5
    cmp -s got.md5 audio.md5 || fail "--threads $threads: the audio was not copied unchanged"
    streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$out" | tr '\n' ' ')
    [ "$streams" = "video audio subtitle " ] || fail "--threads $threads: streams are '$streams'"
    echo "ok: --threads $threads: frames equal lintra's, audio and subtitles copied"
done
rm out/*

# Chosen by extension: .mp4 gets H.264, and the subtitles MP4's own text format.
"$lintra" video clip.mkv out/clean.mp4 2> err.txt || fail "lintra video to .mp4: $(cat err.txt)"
codecs=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 out/clean.mp4 | tr '\n' ' ')
[ "$codecs" = "h264 aac mov_text " ] || fail ".mp4 output has streams '$codecs'"
echo "ok: .mp4 output: H.264, AAC copied, subtitles as mov_text"
rm out/*

# Bad input.
echo "not a video" > notes.txt
ff -f lavfi -i "sine=d=0.2" sound.wav
expect_failure "missing input" 1 "cannot read missing.mkv" "$lintra" video missing.mkv out/x.mkv
expect_failure "folder as input" 1 "is a directory" "$lintra" video out out/x.mkv
expect_failure "text file" 1 "notes.txt: Invalid data" "$lintra" video notes.txt out/x.mkv
expect_failure "audio only" 1 "sound.wav: has no video stream" "$lintra" video sound.wav out/x.mkv
expect_failure "unknown option" 2 "unknown option '--fast'" "$lintra" video clip.mkv out/x.mkv --fast
expect_failure "unknown encoder" 1 "ffmpeg failed while encoding" \
    "$lintra" video clip.mkv out/x.mkv --codec no-such-codec
expect_failure "missing folder" 1 "cannot create" "$lintra" video clip.mkv out/none/x.mkv
cp clip.mkv same.mkv
rc=0
"$lintra" video same.mkv ./same.mkv 2> err.txt || rc=$?
[ "$rc" -eq 1 ] && grep -qF "is the input" err.txt || fail "output is the input: status $rc: $(cat err.txt)"
cmp -s clip.mkv same.mkv || fail "output is the input: the input was changed"
echo "ok: output is the input: $(cat err.txt)"
if [ "$(id -u)" -ne 0 ]; then
    cp clip.mkv locked.mkv && chmod 000 locked.mkv
    expect_failure "unreadable input" 1 "Permission denied" "$lintra" video locked.mkv out/x.mkv
fi

# No ffmpeg at all.
mkdir empty-path
expect_failure "no ffmpeg" 1 "ffmpeg not found (install it" env PATH="$work/empty-path" "$lintra" video clip.mkv out/x.mkv

# ffmpeg failing mid-way. A stand-in ffmpeg ahead of the real one in PATH passes every call on,
# but as the decoder it stops after three frames with status 1, and as the encoder it writes part
# of a file and fails.
real_ffmpeg=$(command -v ffmpeg)
mkdir fake
frame_bytes=$((350 * 120 * 4))
cat > fake/ffmpeg <<FAKE
#!/usr/bin/env bash
case " \$* " in
    *" -map 0:V:0 "*)
        if [ "\${LINTRA_TEST_FAIL:-}" = decoder ]; then
            "$real_ffmpeg" "\$@" | head -c $((frame_bytes * 3)); exit 1
        fi
        if [ "\${LINTRA_TEST_FAIL:-}" = stall ]; then
            "$real_ffmpeg" "\$@" | head -c $((frame_bytes * 2)); exec sleep 3
        fi ;;
    *" -i - "*)
        if [ "\${LINTRA_TEST_FAIL:-}" = encoder ]; then
            head -c $((frame_bytes * 2)) > /dev/null
            for last; do :; done
            echo "half a file" > "\$last"
            echo "encoder trouble" >&2; exit 1
        fi ;;
esac
exec "$real_ffmpeg" "\$@"
FAKE
chmod +x fake/ffmpeg
expect_failure "decoder fails mid-way" 1 "ffmpeg failed while decoding clip.mkv" \
    env PATH="$work/fake:$PATH" LINTRA_TEST_FAIL=decoder "$lintra" video clip.mkv out/x.mkv
expect_failure "encoder fails mid-way" 1 "encoder trouble" \
    env PATH="$work/fake:$PATH" LINTRA_TEST_FAIL=encoder "$lintra" video clip.mkv out/x.mkv

# Interrupted while the decoder stalls: the temporary file goes with the process.
PATH="$work/fake:$PATH" LINTRA_TEST_FAIL=stall "$lintra" video clip.mkv out/x.mkv 2> err.txt &
pid=$!
for _ in $(seq 50); do
    [ -n "$(ls -A out)" ] && break
    sleep 0.1
done
[ -n "$(ls -A out)" ] || fail "interrupt: no temporary file appeared"
kill -TERM "$pid"
rc=0
wait "$pid" || rc=$?
[ "$rc" -ne 0 ] || fail "interrupt: exit status 0"
assert_nothing_written "interrupt"
echo "ok: interrupted by SIGTERM: status $rc, nothing left behind"
