#!/usr/bin/env bash
# Installs the Debian package as a technician would, runs the installed
# programs (files, an upload from the installed simulated reader over a
# pseudo-terminal, over USB and through the keyboard wedge, the desktop
# program without a display), then removes the package and checks that it
# left nothing behind. Needs root.
# usage: scripts/check-package.sh [PACKAGE.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "${1:-$(ls build/release/magtune_*.deb | head -n 1)}")
version=$(dpkg-deb --field "$deb" Version)
helpers=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/magtune

work=$(mktemp -d)
simulators=()
cleanup() {
    for pid in "${simulators[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "check-package: $*" >&2
    exit 1
}

# Starts magtune-reader-sim with the given options and waits for the line
# that names its terminal or socket.
start_simulator() {
    local out=$work/sim${#simulators[@]}.out
    magtune-reader-sim "$@" >"$out" 2>>"$work/sim.err" &
    simulators+=($!)
    for _ in $(seq 100); do
        [[ -s $out ]] && return 0
        sleep 0.1
    done
    cat "$work/sim.err" >&2
    fail "magtune-reader-sim $* did not start"
}

export DEBIAN_FRONTEND=noninteractive
apt-get install -y "$deb"

echo "== installed files"
for path in /usr/bin/magtune /usr/bin/magtune-cli /usr/bin/magtune-reader-sim \
    "$helpers/libOruUsbHidCtrl.so" "$helpers/libzebapi.so" "$helpers/OruUsbHidCtrlSrv64" \
    /usr/share/man/man1/magtune.1.gz /usr/share/man/man1/magtune-cli.1.gz \
    /usr/share/man/man1/magtune-reader-sim.1.gz \
    /usr/share/bash-completion/completions/magtune-cli \
    /usr/share/applications/magtune.desktop /usr/share/mime/packages/magtune.xml \
    /usr/share/metainfo/com.tarvikveviriz.Magtune.metainfo.xml \
    /usr/share/magtune/help/html /usr/lib/udev/rules.d/71-magtune-serial.rules; do
    [[ -e $path ]] || fail "$path is missing"
done
appstreamcli validate --no-net /usr/share/metainfo/com.tarvikveviriz.Magtune.metainfo.xml
if command -v desktop-file-validate >/dev/null; then
    # Hints too: one main category, so that the menu lists Magtune once.
    report=$(desktop-file-validate /usr/share/applications/magtune.desktop)
    [[ -z $report ]] || fail "desktop entry: $report"
fi

# The programs run as a user would, with their files in a scratch home.
cd "$work"
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run
export MAGTUNE_PORTS_DIR=$work/ports
mkdir -p "$XDG_RUNTIME_DIR" "$MAGTUNE_PORTS_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

echo "== magtune-cli new/show"
[[ $(magtune-cli --version) == "magtune-cli $version" ]] || fail "magtune-cli --version"
[[ $(magtune-reader-sim --version) == "magtune-reader-sim $version" ]] ||
    fail "magtune-reader-sim --version"
for page in magtune magtune-cli magtune-reader-sim; do
    man -P cat "$page" 2>/dev/null | grep -q "^NAME" || [[ ! -x /usr/bin/man ]] ||
        fail "man $page shows no page"
done
magtune-cli new reader.cfg
magtune-cli set reader.cfg "RS232/Baud Rate=19200"
magtune-cli show reader.cfg >show.txt
grep -q $'^  Baud Rate\t19200$' show.txt || fail "show does not list the changed baud rate"

echo "== upload over RS232 from the installed simulator"
start_simulator --link "$MAGTUNE_PORTS_DIR/COM1" --image reader.cfg
timeout 120 magtune-cli upload serial.cfg --com 1
magtune-cli diff reader.cfg serial.cfg

echo "== the ports a user may open"
magtune-cli ports --all >ports.txt
grep -q $'^COM1\t' ports.txt || fail "ports does not list COM1: $(cat ports.txt)"
[[ $(grep -c '^COM' ports.txt) == 32 ]] || fail "ports --all does not list 32 ports"

echo "== transfer logs of an installed program stay out of its folder, also for root"
cat >logging.reg <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Tarvik Veviriz Inc.\Magtune\Settings]
"USB Log Enable"=dword:00000001
REG
MAGTUNE_REGISTRY_FILE=$work/logging.reg timeout 120 magtune-cli upload logged.cfg --com 1
[[ -s $XDG_STATE_HOME/magtune/USBLog.txt ]] || fail "no transfer log in the state folder"
[[ ! -e /usr/bin/USBLog.txt && ! -e /usr/bin/USBDump.txt ]] || fail "a transfer log in /usr/bin"

echo "== upload over USB: the library and its server from $helpers"
start_simulator --usb "$work/usb.sock" --image reader.cfg
MAGTUNE_USB_SIM=$work/usb.sock timeout 120 magtune-cli usb-list
MAGTUNE_USB_SIM=$work/usb.sock timeout 120 magtune-cli upload usb.cfg --usb 1
magtune-cli diff reader.cfg usb.cfg

echo "== upload through the keyboard wedge library"
start_simulator --wedge "$work/wedge.sock" --image reader.cfg
ZEBAPI_SIM_SOCKET=$work/wedge.sock timeout 120 magtune-cli upload wedge.cfg --wedge
magtune-cli diff reader.cfg wedge.cfg

echo "== bash completion"
if [[ -r /usr/share/bash-completion/bash_completion ]]; then
    offered=$(bash -c 'source /usr/share/bash-completion/bash_completion
        source /usr/share/bash-completion/completions/magtune-cli
        COMP_WORDS=(magtune-cli get reader.cfg RS232/Baud)
        COMP_CWORD=3 COMP_LINE="magtune-cli get reader.cfg RS232/Baud" COMP_POINT=${#COMP_LINE}
        _magtune_cli
        printf "%s\n" "${COMPREPLY[@]}"')
    [[ $offered == 'RS232/Baud\ Rate' ]] || fail "completion offered: $offered"
    offered=$(bash -c 'source /usr/share/bash-completion/bash_completion
        source /usr/share/bash-completion/completions/magtune-cli
        COMP_WORDS=(magtune-cli download reader.cfg --sim-)
        COMP_CWORD=3 COMP_LINE="magtune-cli download reader.cfg --sim-" COMP_POINT=${#COMP_LINE}
        _magtune_cli
        printf "%s\n" "${COMPREPLY[@]}"')
    [[ $offered == $'--sim-usb\n--sim-wedge' ]] || fail "completion of --sim- offered: $offered"
fi

echo "== the desktop program"
[[ $(magtune --version) == "magtune $version" ]] || fail "magtune --version"
QT_QPA_PLATFORM=offscreen MAGTUNE_STARTUP_PROBE=1 timeout 120 magtune >probe.txt
grep -q '^first-show-ms ' probe.txt || fail "magtune did not show its window: $(cat probe.txt)"

echo "== removal"
cd /
files=$(dpkg-query -L magtune)
apt-get purge -y magtune
if dpkg-query -W -f='${Status}' magtune 2>/dev/null | grep -q 'install ok installed'; then
    fail "magtune is still installed"
fi
# Every file the package brought is gone; folders only when they are its own.
while read -r path; do
    [[ -d $path && ! -L $path ]] && continue
    [[ ! -e $path && ! -L $path ]] || fail "$path is left after removal"
done <<<"$files"
for path in "$helpers" /usr/share/magtune /usr/share/doc/magtune; do
    [[ ! -e $path ]] || fail "$path is left after removal"
done
echo "check-package: $deb installs, runs and removes cleanly"
