#!/usr/bin/env bash
# Builds the workbench and starts it on the demo data set.
# Usage: scripts/workbench.sh [WORKBENCH OPTION...]
#   The demo sample is made once below ./vantrel-demo (as scripts/demo.sh
#   does). The test plug-in is registered in a private data folder below
#   build/, so its buttons show without touching the user's registry.
#   The options go to korvex-workbench (--help lists them): with
#   --screenshot PNG the window is saved as PNG offscreen and the program
#   exits; --graph, --spectrum, --map, --overlay, --cursor, --cursor-b,
#   --range and --size lay out the view to save, e.g.
#     scripts/workbench.sh --screenshot out.png --graph /Signals/gearbox/Acc1 --cursor 12.5
#     scripts/workbench.sh --screenshot map.png \
#         --map /Signals/gearbox/Acc1,speed=/Signals/gearbox/Speed,y=order --cursor 30
#   VANTREL_PRESET names the CMake preset to build with (default: default).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${VANTREL_PRESET:-default}"
build="build/$preset"
scripts/deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" --target vantrel korvex-workbench korvex-regsvr kvx_probe
demo=vantrel-demo
[ -f "$demo/sample/gearbox.quor" ] || "$build/apps/vantrel/vantrel" demo --out "$demo" --quiet
export VANTREL_DATA_DIR="$PWD/$build/workbench-data"
mkdir -p "$VANTREL_DATA_DIR"
"$build/bin/korvex-regsvr" -s "$build/tests/korvex/plugin/kvx_probe.so"
files=("$demo/sample/gearbox.quor")
[ -f "$demo/results/results.quor" ] && files+=("$demo/results/results.quor")
for arg in "$@"; do
    [ "$arg" = --screenshot ] && export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
done
exec "$build/bin/korvex-workbench" "$@" "${files[@]}"
