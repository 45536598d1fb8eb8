#!/usr/bin/env bash
# Installs what is missing, builds and starts Magtune.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev -j "$(nproc)"
if [[ -x build/dev/bin/magtune ]]; then
    exec build/dev/bin/magtune "$@"
fi
# Until the window lands, show a new default setting with the command line.
file=$(mktemp --suffix=.cfg)
trap 'rm -f "$file"' EXIT
build/dev/bin/magtune-cli new "$file"
build/dev/bin/magtune-cli show "$file"
