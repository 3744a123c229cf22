#!/usr/bin/env bash
# Runs the Windows build's programs under 32-bit Wine, in the build tree's own Wine prefix
# (WINEPREFIX, which the tests set), so the suite drives the DLL the simulators load.
#
#   wine.sh PROGRAM [ARGS...]   runs one program (the tests' emulator)
#   wine.sh --start             prepares the prefix and starts one wineserver for the run
#   wine.sh --stop              ends that wineserver and every program it still serves
#
# Exits 77, which the tests count as skipped, where the kernel runs no 32-bit programs at
# all (its 32-bit emulation switched off): there nothing can load a 32-bit DLL.
set -uo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 PROGRAM [ARGS...] | --start | --stop" >&2
    exit 2
fi
if [ -z "${WINEPREFIX:-}" ]; then
    echo "wine.sh: WINEPREFIX is not set (the tests set it to the build tree's prefix)" >&2
    exit 2
fi
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
# A first start offers no .NET or HTML engine to install and writes no desktop menus.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}

if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
    echo "wine.sh: Wine is not installed (scripts/deps --windows installs it)" >&2
    exit 1
fi
if ! version=$(wine --version 2>&1); then
    if [[ "$version" == *"Exec format error"* ]]; then
        echo "wine.sh: skipped: this kernel runs no 32-bit programs, so 32-bit Wine cannot start ($version)" >&2
        exit 77
    fi
    echo "wine.sh: Wine does not start: $version" >&2
    exit 1
fi

case "$1" in
    --start)
        mkdir -p "$WINEPREFIX" || exit 1
        # Persistent until --stop, so no program waits for a server to start or linger.
        # Wine's own processes outlive this script: their output goes to a log, never to
        # the test's pipes, which would otherwise stay open until the run ends.
        log=$WINEPREFIX/start.log
        # A server left from an interrupted run refuses to start twice: it serves this run.
        wineserver -p </dev/null >"$log" 2>&1
        # The tests' folders from earlier runs: some lie deeper than Windows's own calls
        # remove, and process ids, part of their names, come round again.
        find "$WINEPREFIX/drive_c/users" -maxdepth 4 -name 'footplate-*' -prune -exec rm -rf {} + 2>/dev/null
        # The first program in a new prefix waits until Wine has set the prefix up (~20 s).
        wine cmd.exe /c exit 0 </dev/null >>"$log" 2>&1
        status=$?
        cat "$log"
        exit $status
        ;;
    --stop)
        wineserver -k 2>/dev/null
        exit 0
        ;;
    *)
        exec wine "$@"
        ;;
esac
