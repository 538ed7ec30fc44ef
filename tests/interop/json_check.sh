#!/usr/bin/env bash
# Parses the exchange files written by config_interop_files with jq and with
# Python's json module and checks their layout: "Name" first, children as
# members keyed by their (UTF-8, Cyrillic) names. Exits 77 (skipped) when
# neither reader is installed.
set -u
dir=${1:?usage: json_check.sh folder}
JQ=${JQ:-$(command -v jq || true)}
PYTHON=${PYTHON:-$(command -v python3 || true)}
[ -n "$JQ" ] || [ -n "$PYTHON" ] || { echo "neither jq nor python3 found"; exit 77; }
fail=0

if [ -n "$JQ" ]; then
    for f in "$dir/reductor.json" "$dir/engine.json"; do
        "$JQ" empty "$f" || { echo "jq cannot parse $f"; fail=1; }
    done
    "$JQ" -e '
        (keys_unsorted[0] == "Name") and .Name == "Редуктор" and .Type == 1 and .strType == "Root"
        and .["Вал 1"].Type == 2 and .["Вал 1"].Info == "Входной вал"
        and .["Вал 1"]["Обороты вала"]["Tacho Channel Name"] == "Тахо 1"
        and .["Вал 1"]["Зубцовая"].Components[0]["Tacho Ref."] == "Обороты вала"
        and .["Вал 1"]["Зубцовая"].Components[1].Factor == 5.5
        and .["Вал 1"]["Зубцовая"].BandWidth["Tacho Ref."] == "Обороты вала"
        and .["Полоса 10-20"].BandStart == 10 and .["Полоса 10-20"].BandStop == 20
        and (.["Полоса 10-20"] | has("Info") | not)' "$dir/reductor.json" >/dev/null ||
        { echo "jq: unexpected content in reductor.json"; fail=1; }
    "$JQ" -e '.Name == "Engine" and .T2.Type == 4 and .T2["Tacho Channel Name"] == "Tacho 2"' \
        "$dir/engine.json" >/dev/null || { echo "jq: unexpected content in engine.json"; fail=1; }
fi

if [ -n "$PYTHON" ]; then
    "$PYTHON" - "$dir" <<'PY' || fail=1
import json, sys
from pathlib import Path
d = Path(sys.argv[1])
for name in ("reductor.json", "engine.json"):
    json.loads((d / name).read_bytes().decode("utf-8"))
r = json.loads((d / "reductor.json").read_text(encoding="utf-8"))
assert list(r)[0] == "Name", list(r)
assert r["Name"] == "Редуктор" and r["Type"] == 1
shaft = r["Вал 1"]
assert list(shaft)[:3] == ["strType", "Type", "On"], list(shaft)
assert shaft["Зубцовая"]["Components"][0] == {"Tacho Ref.": "Обороты вала", "Factor": 27.0}
assert shaft["Обороты вала"]["BandWidth"]["FFT Bins Value"] == 3
assert r["Полоса 10-20"]["BandStop"] == 20.0
print("python json: exchange files parse and hold what was written")
PY
fi
exit $fail
