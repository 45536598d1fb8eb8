#!/usr/bin/env bash
# Installs what is missing, builds and starts Magtune.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev -j "$(nproc)"
exec build/dev/bin/magtune "$@"
