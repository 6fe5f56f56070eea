#!/usr/bin/env bash
# Runs the Windows test host against the 64-bit Windows module under Wine, inside a virtual X
# display, so the real dialog is created from its template.
#   wine_test_host.sh init PREFIX                  create the Wine prefix (slow the first time)
#   wine_test_host.sh run PREFIX BUILD_DIR [ARGS]  run BUILD_DIR/host/lintra_test_host.exe
set -euo pipefail
mode="${1:?usage: wine_test_host.sh init|run PREFIX [BUILD_DIR ARGS...]}"
export WINEPREFIX="${2:?prefix directory}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
shift 2

stop_server() { wineserver -k 2>/dev/null || true; }
trap stop_server EXIT

case "$mode" in
    init)
        if [ -f "$WINEPREFIX/.lintra-ready" ]; then
            echo "wine prefix ready: $WINEPREFIX"
            exit 0
        fi
        mkdir -p "$WINEPREFIX"
        timeout 300 xvfb-run -a wineboot -i >/dev/null 2>&1 || true
        # Wine draws the windows' frames and captions itself: there is no window manager.
        for value in Decorated Managed; do
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" /d N /f >/dev/null 2>&1
        done
        wineserver -w
        test -f "$WINEPREFIX/system.reg" || { echo "wine prefix not created"; exit 1; }
        touch "$WINEPREFIX/.lintra-ready"
        echo "wine prefix ready: $WINEPREFIX"
        ;;
    run)
        build="${1:?build directory}"
        shift
        cd "$build/host"
        timeout 240 xvfb-run -a -s "-screen 0 1024x768x24" \
            wine lintra_test_host.exe Lintra.vdf "$@" 2> >(grep -v -e '^X connection' -e 'Xlib:' >&2)
        ;;
    *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
