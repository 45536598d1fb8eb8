#!/usr/bin/env bash
# Renders the main window and every dialog and form to PNG files.
# usage: scripts/screenshots.sh [BUILD_FOLDER] [OUTPUT_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
out=${2:-screenshots}
mkdir -p "$out"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for program in "$build"/bin/magtune_screenshots_*; do
    [[ -x "$program" ]] || continue
    echo "$(basename "$program")"
    "$program" "$out"
done
ls "$out"
