#!/usr/bin/env bash
# The Windows build under wine, in a private wine prefix:
#  1. the core test suites (.exe) of build/win32;
#  2. magtune-cli.exe new/show/set/formula give the same bytes and texts as
#     the Linux magtune-cli of build/dev;
#  3. magtune-cli.exe download/upload over COM1, which the prefix maps to the
#     terminal of a magtune-reader-sim (Linux), succeed and fail as on Linux;
#  4. the USB library and server, and zebapi, when they are built.
# A machine that runs no 32-bit programs (some virtual machines) has no
# 32-bit wine either: there 1-3 run the 64-bit build under wine64 alone,
# and 4, which needs the 32-bit libraries, is left out, with a line that
# says so.
# Usage: scripts/wine-tests.sh [WIN32_BUILD [LINUX_BUILD [WIN64_BUILD]]]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win32=$(realpath "${1:-build/win32}")
linux=$(realpath "${2:-build/dev}")
win64=$(realpath -m "${3:-build/win64}")

export WINEDEBUG=-all
# No downloads of wine's own Gecko and Mono, no windows of its own.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/magtune-wine.XXXXXX)
work=$(mktemp -d /tmp/magtune-wine-work.XXXXXX)
sim_pid=""
passed=0
failed=0

cleanup() {
    if [[ -n $sim_pid ]]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$work" "${shim:-}"
}
trap cleanup EXIT

pass() { passed=$((passed + 1)); echo "ok: $*"; }
fail() { failed=$((failed + 1)); echo "FAILED: $*"; }

runs32=1
if ! scripts/wine-runs-32bit.sh; then
    runs32=0
    # Every wine command, the test runner's too, through the 64-bit loader.
    shim=$(mktemp -d /tmp/magtune-wine64.XXXXXX)
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
        chmod +x "$shim/$name"
    done
    export PATH=$shim:$PATH WINELOADER=/usr/lib/wine/wine64
    echo "wine-tests: this machine runs no 32-bit programs: the 64-bit build of $win64 is tested"
fi
suites=$win32
[[ $runs32 == 1 ]] || suites=$win64

cli_exe=$suites/bin/magtune-cli.exe
cli_linux=$linux/bin/magtune-cli
sim=$linux/bin/magtune-reader-sim
for f in "$cli_exe" "$cli_linux" "$sim"; do
    [[ -x $f || -f $f ]] || { echo "wine-tests: $f is missing (build the win32 and dev presets)"; exit 2; }
done

start=$(date +%s)
wineboot -i >/dev/null 2>&1
# Wine maps COM ports by its registry, not by dosdevices links: COM1 is
# the link that each simulated reader makes to its terminal, COM2 leads
# nowhere. The mapping is read when the wine server starts.
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$work/com1" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v COM2 /d "$work/no-such-port" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w
# One server for the whole run, whose own output goes nowhere (a server
# that a later command started would write into that command's messages).
wineserver -p >/dev/null 2>&1 &
wine cmd /c exit >/dev/null 2>&1
echo "wine-tests: prefix ready in $(($(date +%s) - start)) s"

# ---- 1. The core suites ----
if ctest --test-dir "$suites" --output-on-failure -j "$(nproc)"; then
    pass "core suites under wine"
else
    fail "core suites under wine"
fi

# ---- 2. Setting files and texts, byte for byte ----
# The Linux program keeps its preferences in a file of the work folder; the
# Windows one in the prefix's registry.
export MAGTUNE_REGISTRY_FILE=$work/registry.reg MAGTUNE_PORTS_DIR=$work/ports
mkdir -p "$work/ports" "$work/linux" "$work/windows"

# Runs one command line with both programs, each in its own folder; the
# file names are relative, so both see the same arguments.
both() {
    local what=$1; shift
    (cd "$work/linux" && "$cli_linux" "$@" >"$work/linux/out" 2>"$work/linux/err"); local l=$?
    (cd "$work/windows" && wine "$cli_exe" "$@" >"$work/windows/out" 2>"$work/windows/err"); local w=$?
    tr -d '\r' <"$work/windows/out" >"$work/windows/out.unix"
    tr -d '\r' <"$work/windows/err" >"$work/windows/err.unix"
    if [[ $l != "$w" ]]; then
        fail "$what: exit status $w under wine, $l on Linux"; cat "$work/windows/err.unix"; return
    fi
    if ! cmp -s "$work/linux/out" "$work/windows/out.unix"; then
        fail "$what: output differs"; diff "$work/linux/out" "$work/windows/out.unix" | head -20; return
    fi
    if ! cmp -s "$work/linux/err" "$work/windows/err.unix"; then
        fail "$what: messages differ"; diff "$work/linux/err" "$work/windows/err.unix" | head -20; return
    fi
    pass "$what (exit $l)"
}
# The same for a command that fails: the same exit status and message, up
# to the system's own text of the error, which differs between the systems.
both_status() {
    local what=$1; shift
    (cd "$work/linux" && "$cli_linux" "$@" >/dev/null 2>"$work/linux/err"); local l=$?
    (cd "$work/windows" && wine "$cli_exe" "$@" >/dev/null 2>"$work/windows/err"); local w=$?
    local lm wm
    lm=$(sed -E 's/ \(.*\)\.?$//' "$work/linux/err")
    wm=$(tr -d '\r' <"$work/windows/err" | sed -E 's/ \(.*\)\.?$//')
    if [[ $l == "$w" && $l != 0 && $lm == "$wm" ]]; then
        pass "$what (exit $l, \"$wm\")"
    else
        fail "$what: exit $w under wine, $l on Linux; \"$wm\" vs \"$lm\""
    fi
}
same_file() {
    if cmp "$work/linux/$1" "$work/windows/$1"; then pass "$1 byte-identical"; else fail "$1 differs"; fi
}

set +e
both "new" new a.cfg
same_file a.cfg
both "set" set a.cfg "RS232/Baud Rate=2400" "RS232/Receive Terminator=<r>" \
    "Magnetic Reader/Track 1 Output Sequence=<Account>\"^\"<LastName>" "Beeps and Delays/Beep Tone=High"
same_file a.cfg
both "formula add" formula add a.cfg 'IN_ID,21,LEN,10,40,MATCH,1,"<d>","ID:",O-STR,2,5,ENTER'
both "formula add (second)" formula add a.cfg 'IN_ID,22,LEN,1,80,O-STR,1,3,ENTER'
both "formula down" formula down a.cfg 1
same_file a.cfg
both "show" show a.cfg
both "get" get a.cfg "RS232/Baud Rate"
both "dump" dump a.cfg
both "diff" diff a.cfg a.cfg
both "bad value" set a.cfg "RS232/Baud Rate=110"
both "bad formula" formula add a.cfg 'IN_ID,99'
both_status "missing file" show missing.cfg
same_file a.cfg
cp "$work/linux/a.cfg" "$work/setting.cfg"
set -e

# ---- 3. Serial transfers over COM1 ----
# Starts the simulated reader with the given options, its terminal linked
# at $1.
start_reader() {
    if [[ -n $sim_pid ]]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
    local link=$1; shift
    "$sim" --link "$link" "$@" >"$work/sim.out" 2>"$work/sim.err" &
    sim_pid=$!
    for _ in $(seq 100); do [[ -s $work/sim.out ]] && break; sleep 0.05; done
}

# Runs a transfer under wine and on Linux against a fresh reader each, with
# the same options; both must end alike.
transfer() {
    local what=$1 expect_status=$2 expect_text=$3; shift 3
    local reader_options=() args=()
    while [[ $1 != -- ]]; do reader_options+=("$1"); shift; done
    shift
    args=("$@")
    start_reader "$work/com1" "${reader_options[@]}"
    (cd "$work/windows" && wine "$cli_exe" "${args[@]}" --com 1 >"$work/windows/out" 2>"$work/windows/err"); local w=$?
    start_reader "$work/linux-port" "${reader_options[@]}"
    (cd "$work/linux" && "$cli_linux" "${args[@]}" --port "$work/linux-port" >"$work/linux/out" 2>"$work/linux/err"); local l=$?
    tr -d '\r' <"$work/windows/err" >"$work/windows/err.unix"
    if [[ $w != "$expect_status" || $l != "$expect_status" ]]; then
        fail "$what: exit status $w under wine, $l on Linux, $expect_status expected"
        cat "$work/windows/err.unix"; return
    fi
    if ! grep -qF "$expect_text" "$work/windows/err.unix" || ! grep -qF "$expect_text" "$work/linux/err"; then
        fail "$what: \"$expect_text\" missing"; cat "$work/windows/err.unix"; return
    fi
    pass "$what (exit $w, \"$expect_text\")"
}

set +e
cp "$work/setting.cfg" "$work/linux/s.cfg"; cp "$work/setting.cfg" "$work/windows/s.cfg"
transfer "download over COM1" 0 "Download finished successfully." -- download s.cfg
transfer "download over COM1, reader at 2400 baud" 0 "Download finished successfully." --baud 2400 -- download s.cfg
transfer "upload over COM1" 0 "Upload finished successfully." -- upload up.cfg --name "Desk reader"
same_file up.cfg
transfer "download after a NAK" 0 "Download finished successfully." --nak-first 1 -- download s.cfg
transfer "download refused three times" 1 "Download setting failed." --nak-first 3 -- download s.cfg
transfer "upload with bad checksums" 1 "Upload setting from Lab reader failed." --bad-checksum-first 6 -- upload bad.cfg --name "Lab reader"
if [[ -e $work/windows/bad.cfg ]]; then fail "a failed upload wrote bad.cfg"; else pass "a failed upload writes nothing"; fi
transfer "silent reader" 1 "Failed to connect to device." --silent -- download s.cfg
# A port nobody is behind.
(cd "$work/windows" && wine "$cli_exe" download s.cfg --com 2 >"$work/windows/out" 2>"$work/windows/err"); status=$?
# (Windows fails the open; wine opens a port it maps to nothing and fails
# its first port call.)
if [[ $status != 0 ]] && grep -qE "(CreateFile|GetCommState)\(\):" "$work/windows/err"; then
    pass "a missing COM2 is reported as the system's error (exit $status, $(grep -oE '[A-Za-z]+\(\):' "$work/windows/err"))"
else
    fail "missing COM2: exit $status"; cat "$work/windows/err"
fi
set -e

# ---- 4. The libraries ----
if [[ $runs32 == 0 ]]; then
    echo "wine-tests: left out: OruUsbHidCtrl.dll and zebapi.dll are 32-bit libraries"
elif [[ -f $win32/bin/usbhid_wine_host.exe ]]; then
    if [[ -f $win64/bin/OruUsbHidCtrlSrv64.exe ]]; then
        mkdir -p "$work/usb" "$work/usb-alone"
        cp "$win32/bin/usbhid_wine_host.exe" "$win32/bin/OruUsbHidCtrl.dll" "$win64/bin/OruUsbHidCtrlSrv64.exe" "$work/usb/"
        cp "$win32/bin/usbhid_wine_host.exe" "$win32/bin/OruUsbHidCtrl.dll" "$work/usb-alone/"
        if (cd "$work/usb" && wine ./usbhid_wine_host.exe with-server); then
            pass "OruUsbHidCtrl.dll and its 64-bit server: requests 1-11"
        else
            fail "OruUsbHidCtrl.dll and its 64-bit server"
        fi
        if (cd "$work/usb-alone" && wine ./usbhid_wine_host.exe without-server); then
            pass "OruUsbHidCtrl.dll without its server answers 0"
        else
            fail "OruUsbHidCtrl.dll without its server"
        fi
    else
        fail "OruUsbHidCtrlSrv64.exe is missing in $win64"
    fi
fi
if [[ $runs32 == 1 && -f $win32/bin/zebapi_wine_host.exe ]]; then
    if (cd "$win32/bin" && wine ./zebapi_wine_host.exe); then pass "zebapi.dll"; else fail "zebapi.dll"; fi
fi

echo "wine-tests: $passed passed, $failed failed"
[[ $failed == 0 ]]
