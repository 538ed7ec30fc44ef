#!/usr/bin/env bash
# Builds Vantrel and runs the main job on the bundled sample.
# Usage: scripts/demo.sh [output folder]   (default: ./vantrel-demo)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default
cmake --build --preset default --target vantrel
build/default/apps/vantrel/vantrel demo --out "${1:-vantrel-demo}"
