#!/usr/bin/env bash
# Vantrel's one entry point: ./vantrel.sh run | test | build | bench | format
# Installs what is missing (scripts/setup.sh), builds, and runs in the build tree's
# own Wine prefix. Every Xvfb and wineserver it starts it also stops, by PID.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
export WINEPREFIX="$root/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

log() { printf '== %s\n' "$*"; }

setup() {
    bash scripts/setup.sh
}

build_preset() {  # $1 preset, then optionally the targets to build
    local preset=$1
    shift
    log "configure and build: $preset${*:+ ($*)}"
    cmake --preset "$preset" >"build/configure-$preset.log" 2>&1 ||
        { cat "build/configure-$preset.log"; return 1; }
    cmake --build --preset "$preset" -j "$jobs" ${*:+--target "$@"}
}

# --- Wine session: an Xvfb display (when asked) and a wineserver of our own. ---
xvfb_pid=""
wineserver_pid=""

start_xvfb() {
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        local i
        for i in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.05
        done
        if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
            export DISPLAY=":$n"
            return 0
        fi
        xvfb_pid=""
    done
    echo "could not start Xvfb" >&2
    return 1
}

start_wine_session() {  # $1: "own-display" to always use a private Xvfb
    bash scripts/wine-prefix.sh "$WINEPREFIX"
    if [ "${1:-}" = own-display ] || [ -z "${DISPLAY:-}" ]; then
        start_xvfb
    fi
    wineserver -f -p >/dev/null 2>&1 &
    wineserver_pid=$!
    trap stop_wine_session EXIT
    # Start Wine's own services (services.exe, winedevice, ...) away from any
    # pipe: they inherit the standard handles of the first Wine program of the
    # session and would hold a test runner's output pipe open until the end.
    wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

stop_wine_session() {
    if [ -n "$wineserver_pid" ]; then
        # -k ends this prefix's server and the Wine processes in it (all ours).
        wineserver -k >/dev/null 2>&1 || true
        kill "$wineserver_pid" 2>/dev/null || true
        wait "$wineserver_pid" 2>/dev/null || true
        wineserver_pid=""
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    fi
}

# --- Commands ---
passed=0
failed=0
run_ctest() {  # $1 preset
    local out="build/ctest-$1.log" rc=0
    ctest --preset "$1" 2>&1 | tee "$out" || rc=$?
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$out" | tail -n 1 || true)
    if [ -n "$line" ]; then
        local total fail
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
        fail=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
        passed=$((passed + total - fail))
        failed=$((failed + fail))
    else
        failed=$((failed + 1))
    fi
    return $rc
}

cmd_test() {
    setup
    mkdir -p build
    local t0=$SECONDS status=0
    build_preset asan || status=1
    [ $status -eq 0 ] && { run_ctest asan || status=1; }
    # The suites that run a worker thread, under ThreadSanitizer.
    build_preset tsan || { status=1; failed=$((failed + 1)); }
    [ -x build/tsan/main/main_test ] && { run_ctest tsan || status=1; }
    build_preset windows || { status=1; failed=$((failed + 1)); }
    if [ -d build/windows/bin ]; then
        start_wine_session own-display
        run_ctest windows || status=1
        stop_wine_session
    fi
    log "test time: $((SECONDS - t0)) s"
    echo "$passed passed, $failed failed"
    [ $status -eq 0 ] && [ $failed -eq 0 ]
}

cmd_build() {
    setup
    mkdir -p build
    build_preset windows
    build_preset native
}

# Waits until an X window of that name is mapped (Wine maps the main window only
# once it has loaded); false after $2 seconds.
wait_for_x_window() {
    local name=$1 seconds=$2 i
    for i in $(seq 1 $((seconds * 10))); do
        xwininfo -display "$DISPLAY" -name "$name" 2>/dev/null | grep -q 'Map State: IsViewable' &&
            return 0
        sleep 0.1
    done
    return 1
}

cmd_run() {
    setup
    mkdir -p build
    build_preset windows
    local exe=build/windows/Vantrel/Vantrel.exe
    [ -f "$exe" ] || { echo "missing $exe" >&2; return 1; }
    start_wine_session
    if [ -z "$xvfb_pid" ]; then
        log "Vantrel on $DISPLAY (close its window to end)"
        wine "$exe" || true
    else
        # No display of our own: run on the virtual one, take a picture, close.
        local shot="$root/build/windows/artifacts/vantrel-run.png" pid
        mkdir -p "$(dirname "$shot")"
        log "Vantrel on the virtual display $DISPLAY"
        wine "$exe" >/dev/null 2>&1 &
        pid=$!
        if wait_for_x_window Vantrel 60; then
            sleep 1  # let it paint
            # import reads every window's pixels; xwd misses those of some dialogs.
            import -display "$DISPLAY" -window root "$shot"
            log "screenshot: $shot"
        else
            echo "the Vantrel window did not appear" >&2
        fi
        # A close request, as from the window's close box (the settings are written).
        wine taskkill /im Vantrel.exe >/dev/null 2>&1 || true
        local i
        for i in $(seq 1 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    stop_wine_session
}

cmd_bench() {
    setup
    mkdir -p build
    build_preset native
    local b
    for b in build/native/bench/*_bench; do
        [ -x "$b" ] && "$b"
    done
    # The main window's answer time under Wine, measured from outside.
    build_preset windows main_gui_bench
    start_wine_session own-display
    build/windows/wine-run build/windows/bin/main_gui_bench.exe || true
    stop_wine_session
}

cmd_format() {
    git ls-files '*.cpp' '*.h' | xargs clang-format -i
}

case "${1:-}" in
    run) cmd_run ;;
    test) cmd_test ;;
    build) cmd_build ;;
    bench) cmd_bench ;;
    format) cmd_format ;;
    setup) setup ;;
    *)
        echo "usage: $0 run | test | build | bench | format | setup" >&2
        exit 2
        ;;
esac
