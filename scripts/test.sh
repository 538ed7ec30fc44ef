#!/usr/bin/env bash
# Builds Vantrel with warnings as errors and runs every test, then names the
# tests skipped because the machine cannot run them, and why.
# Usage: scripts/test.sh [ci|sanitize]   (default: ci)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-ci}"
scripts/deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
set +e
ctest --preset "$preset" --timeout 600 -j "$(nproc)" | tee "build/$preset/ctest.out"
status=${PIPESTATUS[0]}
set -e
scripts/skipped.sh "build/$preset/ctest.out" "build/$preset"
exit "$status"
