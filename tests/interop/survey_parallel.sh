#!/usr/bin/env bash
# A survey of eight generated recordings through GNU parallel, two at a
# time, one of them a damaged file: every run leaves its summary, the merge
# holds the seven good ones sorted by data set and logs the damaged one, and
# the joblog shows the one failure. Skipped (77) without parallel.
# Usage: survey_parallel.sh VANTREL
set -euo pipefail
vantrel=$1
command -v parallel >/dev/null || { echo "parallel is not installed; skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$vantrel" demo --out "$work/demo" --duration 6 --quiet >/dev/null
"$vantrel" convert "$work/demo/sample/gearbox.quor" "$work/base.uff" >/dev/null
mkdir -p "$work/rec"
# Seven recordings a month apart (the UFF header holds the start date), and one damaged.
for m in 1 2 3 4 5 6 7; do
  sed "s/^15-Mar-24 10:00:00/15-$(date -d "2026-0$m-01" +%b)-26 10:00:00/" "$work/base.uff" \
    > "$work/rec/unit_$m.uff"
done
head -c 5000 "$work/base.uff" > "$work/rec/unit_8.uff"

cfg="$work/demo/config/gearbox.cfg"
status=0
parallel -j2 --joblog "$work/jobs.log" \
  "$vantrel" run --data {} --config "$cfg" --out "$work/out/{/.}" --summary "$work/sum/{/.}.csv" \
  --quiet ::: "$work"/rec/*.uff >/dev/null 2>"$work/runs.err" || status=$?
[ "$status" -eq 1 ] || fail "parallel should report one failed job, not $status"
[ "$(tail -n +2 "$work/jobs.log" | wc -l)" -eq 8 ] || fail "joblog should list 8 jobs"
[ "$(awk 'NR > 1 && $7 != 0' "$work/jobs.log" | wc -l)" -eq 1 ] || fail "one job should fail"

"$vantrel" summary --out "$work/ALL.csv" "$work/sum" >"$work/merge.out" 2>/dev/null
grep -q "from 8 summary files" "$work/merge.out" || fail "$(cat "$work/merge.out")"
grep -q "^failed: .*unit_8.uff: " "$work/ALL.log" || fail "the damaged recording is not logged"
per=$(($(wc -l < "$work/out/unit_1/summary.csv") - 1))
[ "$per" -gt 0 ] || fail "no rows in a recording's summary"
[ "$(($(wc -l < "$work/ALL.csv") - 1))" -eq $((7 * per)) ] || fail "ALL.csv should hold 7 x $per rows"
# Sorted by data set: the data set column runs unit_1 .. unit_7.
cut -d, -f2 "$work/ALL.csv" | tail -n +2 | uniq | tr '\n' ' ' | grep -qx \
  "unit_1 unit_2 unit_3 unit_4 unit_5 unit_6 unit_7 " || fail "rows are not sorted by data set"

"$vantrel" trend --summary "$work/ALL.csv" --channel Acc1 --item "10-1000 Гц" \
  --csv "$work/trend.csv" >/dev/null
[ "$(tail -n +2 "$work/trend.csv" | cut -d, -f2 | cut -c1-7 | tr '\n' ' ')" = \
  "2026-01 2026-02 2026-03 2026-04 2026-05 2026-06 2026-07 " ] || fail "trend dates"
if [ -x "$(dirname "$vantrel")/vantrel-trend" ]; then
  "$vantrel" trend --summary "$work/ALL.csv" --channel Acc1 --item "10-1000 Гц" \
    --png "$work/trend.png" >/dev/null 2>&1
  [ "$(head -c 4 "$work/trend.png" | tail -c 3)" = "PNG" ] || fail "trend.png is not a PNG"
fi
echo "survey of 8 recordings through parallel: OK"
