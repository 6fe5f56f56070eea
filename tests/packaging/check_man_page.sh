#!/usr/bin/env bash
# The manual page renders without a warning from man, has its sections, and names every option
# that `lintra --help` and `lintra video --help` name.
#   check_man_page.sh MAN_PAGE(.1 or .1.gz) LINTRA
set -euo pipefail
page="$1"
lintra="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "check_man_page: $*" >&2; exit 1; }

MANWIDTH=80 man --warnings -l "$page" > "$work/page.txt" 2> "$work/warnings.txt" ||
    fail "man -l failed: $(cat "$work/warnings.txt")"
[ ! -s "$work/warnings.txt" ] || fail "man reports: $(cat "$work/warnings.txt")"
echo "ok: man --warnings -l renders $page without a warning"

for section in NAME SYNOPSIS DESCRIPTION "THE SETTINGS LINE" "EXIT STATUS" "LINTRA VIDEO" \
    ENVIRONMENT EXAMPLES "REPORTING BUGS" COPYRIGHT; do
    grep -qx "$section" "$work/page.txt" || fail "no section $section"
done
grep -q "LINTRA_CPU" "$work/page.txt" || fail "LINTRA_CPU is not described"
version="$("$lintra" --version | head -n 1)"
grep -qF "$version" "$work/page.txt" || fail "the page is not of $version"
echo "ok: every section, LINTRA_CPU, $version"

# Every option of both help texts, each where the page lists its options.
{ "$lintra" --help; "$lintra" video --help; } | grep -oE -- '--[a-z][a-z0-9-]*' | sort -u > "$work/options.txt"
[ "$(wc -l < "$work/options.txt")" -ge 20 ] || fail "too few options found in --help"
while read -r option; do
    grep -qE -- "(^|[^a-z-])$option([^a-z0-9-]|$)" "$work/page.txt" || fail "$option is missing"
done < "$work/options.txt"
echo "ok: all $(wc -l < "$work/options.txt") options of lintra --help and lintra video --help"
