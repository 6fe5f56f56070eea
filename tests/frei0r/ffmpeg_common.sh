# Shared by the ffmpeg-driven tests: a scratch folder, quiet ffmpeg, and byte comparisons of
# raw 32-bit frames. Sourced, not run.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ff() { ffmpeg -nostdin -hide_banner -v error "$@"; }

# colour_bytes IN.raw PIXFMT WxH OUT: the B, G, R bytes of every pixel (alpha or padding dropped).
colour_bytes() { ff -f rawvideo -pix_fmt "$2" -s "$3" -i "$1" -f rawvideo -pix_fmt bgr24 -y "$4"; }

# alpha_bytes IN.bgra WxH OUT: the alpha byte of every pixel.
alpha_bytes() { ff -f rawvideo -pix_fmt bgra -s "$2" -i "$1" -vf alphaextract -f rawvideo -pix_fmt gray -y "$3"; }

# test_frames WxH FRAMES OUT.bgra: a moving test picture with grain, which gives the filter
# line-to-line departures to remove, and alpha varying across the picture. (testsrc2 makes
# even sizes only; odd ones are cropped from the next even size.)
test_frames() {
    local w=${1%x*} h=${1#*x}
    ff -f lavfi -i "testsrc2=s=$(((w + 1) / 2 * 2))x$(((h + 1) / 2 * 2)):r=25,format=rgba,crop=$w:$h:0:0,noise=alls=14:allf=t,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='mod(X*3+Y*7,256)'" \
        -frames:v "$2" -f rawvideo -pix_fmt bgra -y "$3"
}

fail() { echo "FAIL: $*" >&2; exit 1; }
