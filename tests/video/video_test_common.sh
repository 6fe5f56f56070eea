# Shared by the lintra video scripts: a scratch folder to work in, quiet ffmpeg, and checks of
# a run's status, message and what it left in out/. Sourced, not run.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir out

ff() { ffmpeg -nostdin -hide_banner -v error -y "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
# No output and no temporary file may be left in out/.
assert_nothing_written() {
    local left
    left=$(ls -A out)
    [ -z "$left" ] || fail "$1: left behind in the output folder: $left"
}
# expect NAME STATUS MESSAGE-PART COMMAND...: runs the command, checks its exit status and that
# stderr (in err.txt) mentions MESSAGE-PART.
expect() {
    local name=$1 status=$2 part=$3
    shift 3
    local rc=0
    "$@" 2> err.txt || rc=$?
    [ "$rc" -eq "$status" ] || fail "$name: exit status $rc, expected $status: $(cat err.txt)"
    grep -qF -- "$part" err.txt || fail "$name: message lacks '$part': $(cat err.txt)"
}
# expect_failure NAME STATUS MESSAGE-PART COMMAND...: the same, and nothing left behind.
expect_failure() {
    expect "$@"
    assert_nothing_written "$1"
    echo "ok: $1: $(head -n 1 err.txt)"
}
