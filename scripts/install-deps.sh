#!/usr/bin/env bash
# Installs the Debian packages that building and testing Magtune needs, and
# only those that are missing. Pass --core to skip Qt (core, CLI, simulator),
# --package to add what building and checking the Debian package needs.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev)
if [[ "${1:-}" == "--package" ]]; then
    # dpkg-dev: dpkg-shlibdeps and dpkg-buildflags; appstream validates the
    # metadata; lintian checks the package.
    packages+=(dpkg-dev file lintian appstream)
fi
if [[ "${1:-}" != "--core" ]]; then
    # libqt6svg6: the toolbar, tree and window icons are SVG images.
    # fonts-dejavu-core: windows rendered without a desktop (tests, screenshots)
    # still need a font.
    packages+=(qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6 fonts-dejavu-core)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
