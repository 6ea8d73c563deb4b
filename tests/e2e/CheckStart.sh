#!/usr/bin/env bash
# The configurator's start as a new user meets it:
#   CheckStart.sh TERVIS TERVIS-CLI TERVIS-MUXSIM
# "--help" answers in Russian whatever the locale, with the option names as they are typed; the desktop
# launcher's "--data-folder" start creates and works in $XDG_DATA_HOME/tervis, leaves the current folder
# alone, paints the main window (TERVIS_QUIT_AFTER_PAINT), writes the settings back and prints nothing
# on standard error.
set -euo pipefail

tervis=$(realpath "$1")
cli=$(realpath "$2")
muxsim=$(realpath "$3")
scratch=$(mktemp -d)
sim_pid=""
cleanup() {
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

check_help() {
    local program=$1
    shift
    local help status=0
    help=$(LANG=C.UTF-8 LC_ALL=C.UTF-8 LANGUAGE=en "$program" --help 2>&1) || status=$?
    [ "$status" -eq 0 ] || fail "$(basename "$program") --help: status $status"
    grep -q '^Использование: ' <<<"$help" || fail "$(basename "$program") --help is not in Russian: $help"
    for option in "$@"; do
        grep -q -- "$option" <<<"$help" || fail "$(basename "$program") --help does not name $option"
    done
}
check_help "$tervis" "-id N" "-u " "--data-folder" "--version"
check_help "$cli" "--port" "--timeout" "dump" "diff"

# The launcher's start, on the simulated multiplexer so that the port opens.
"$muxsim" --demo >"$scratch/muxsim.out" 2>/dev/null &
sim_pid=$!
for _ in $(seq 1 100); do
    [ -s "$scratch/muxsim.out" ] && break
    sleep 0.05
done
device=$(head -n 1 "$scratch/muxsim.out")
[ -n "$device" ] || { echo "FAIL: tervis-muxsim did not start" >&2; exit 1; }
mkdir -p "$scratch/cwd" "$scratch/home" "$scratch/runtime"
chmod 700 "$scratch/runtime"
printf '[SETTINGS]\r\ndevice=%s\r\n' "$device" >"$scratch/site.ini"
status=0
painted=$(cd "$scratch/cwd" && env -i PATH="$PATH" HOME="$scratch/home" XDG_DATA_HOME="$scratch/data/home" \
    XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=offscreen TERVIS_QUIT_AFTER_PAINT=1 \
    timeout --kill-after=5 60 "$tervis" --data-folder -i "$scratch/site.ini" 2>"$scratch/stderr") || status=$?
[ "$status" -eq 0 ] || fail "tervis --data-folder: status $status"
[ "$painted" = "tervis: главное окно показано" ] || fail "tervis --data-folder printed '$painted'"
[ -d "$scratch/data/home/tervis" ] || fail "the data folder was not created"
[ -z "$(ls -A "$scratch/cwd")" ] || fail "files in the current folder: $(ls -A "$scratch/cwd")"
grep -q '^lastfile=' "$scratch/site.ini" || fail "the settings were not written back: $(cat "$scratch/site.ini")"
[ ! -s "$scratch/stderr" ] || fail "tervis printed on standard error: $(cat "$scratch/stderr")"

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)" >&2
    exit 1
fi
echo "start check passed"
