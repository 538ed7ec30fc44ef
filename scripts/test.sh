#!/usr/bin/env bash
# Builds Vantrel with warnings as errors and runs every test.
# Usage: scripts/test.sh [ci|sanitize]   (default: ci)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-ci}"
scripts/deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" --timeout 600 -j "$(nproc)"
