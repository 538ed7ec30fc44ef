#!/usr/bin/env bash
# Builds the workbench and starts it on the demo data set.
# Usage: scripts/workbench.sh [--screenshot PNG]
#   The demo sample is made once below ./vantrel-demo (as scripts/demo.sh
#   does). The test plug-in is registered in a private data folder below
#   build/, so its buttons show without touching the user's registry.
#   With --screenshot the window is saved as PNG offscreen and the program
#   exits.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default
cmake --build --preset default --target vantrel korvex-workbench korvex-regsvr kvx_probe
demo=vantrel-demo
[ -f "$demo/sample/gearbox.quor" ] || build/default/apps/vantrel/vantrel demo --out "$demo" --quiet
export VANTREL_DATA_DIR="$PWD/build/default/workbench-data"
mkdir -p "$VANTREL_DATA_DIR"
build/default/bin/korvex-regsvr -s build/default/tests/korvex/plugin/kvx_probe.so
files=("$demo/sample/gearbox.quor")
[ -f "$demo/results/results.quor" ] && files+=("$demo/results/results.quor")
if [ "${1:-}" = "--screenshot" ]; then
    QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" build/default/bin/korvex-workbench \
        --screenshot "${2:?PNG file}" "${files[@]}"
else
    build/default/bin/korvex-workbench "${files[@]}"
fi
