#!/usr/bin/env bash
# Builds Vantrel and the workbench, registers the built plug-in in the
# workbench's registry and starts the workbench on the demo data set.
# Usage: scripts/plugin.sh [--english] [--screenshot PNG]
#   The demo sample is made once below ./vantrel-demo (as scripts/demo.sh
#   does). The plug-in is registered in a private data folder below build/
#   (its registry file and the plug-in's settings live there), so the
#   user's own registry stays untouched. On the first start the settings
#   point at the demo configuration and data file: press "Vantrel", then
#   "Расчет".
#   --english: a copy of the plug-in with the English language library
#   beside it is registered instead (a data folder of its own).
#   --screenshot PNG: saves the window offscreen as PNG and exits.
set -euo pipefail
cd "$(dirname "$0")/.."
english=0
shot=""
while [ $# -gt 0 ]; do
    case "$1" in
        --english) english=1 ;;
        --screenshot) shot="${2:?PNG file}"; shift ;;
        *) echo "usage: scripts/plugin.sh [--english] [--screenshot PNG]" >&2; exit 1 ;;
    esac
    shift
done
scripts/deps.sh
cmake --preset default
cmake --build --preset default --target vantrel korvex-workbench korvex-regsvr plgVantrel \
    plgVantrel_ENU
demo="$PWD/vantrel-demo"
[ -f "$demo/sample/gearbox.quor" ] || build/default/apps/vantrel/vantrel demo --out "$demo" --quiet

plugin="$PWD/build/default/bin/libplgVantrel.so"
export VANTREL_DATA_DIR="$PWD/build/default/workbench-plugin"
if [ "$english" = 1 ]; then
    # A language library beside the plug-in switches all its texts.
    mkdir -p build/default/plugin-en
    cp -f "$plugin" build/default/plugin-en/
    cp -f build/default/lang/plgVantrel_ENU.so build/default/plugin-en/
    plugin="$PWD/build/default/plugin-en/libplgVantrel.so"
    export VANTREL_DATA_DIR="$PWD/build/default/workbench-plugin-en"
fi
mkdir -p "$VANTREL_DATA_DIR"
build/default/bin/korvex-regsvr -s "$plugin"
settings="$VANTREL_DATA_DIR/plgVantrel.cfg"
if [ ! -f "$settings" ]; then
    mkdir -p "$VANTREL_DATA_DIR/config"
    cp -f "$demo"/config/* "$VANTREL_DATA_DIR/config/"
    printf '[general]\r\ncfgFile=%s\r\nsrcFileKorvex=gearbox\r\nsrcFileDir=%s\r\n' \
        "$VANTREL_DATA_DIR/config/gearbox.cfg" "$demo/sample/gearbox.quor" > "$settings"
fi
if [ -n "$shot" ]; then
    QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" build/default/bin/korvex-workbench \
        --screenshot "$shot" "$demo/sample/gearbox.quor"
else
    build/default/bin/korvex-workbench "$demo/sample/gearbox.quor"
fi
