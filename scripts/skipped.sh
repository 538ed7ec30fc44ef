#!/usr/bin/env bash
# Names each test the last ctest run skipped, with the reason it gave: what
# this machine cannot do (a locale not installed, LibreOffice absent, ...).
# Usage: scripts/skipped.sh CTEST_OUTPUT BUILD_DIR
set -euo pipefail
out="$1"
log="$2/Testing/Temporary/LastTest.log"
skipped=$(sed -n '/The following tests did not run:/,$p' "$out" |
          sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p')
if [ -z "$skipped" ]; then
    echo "No test was skipped."
    exit 0
fi
echo "Skipped, as this machine cannot run them:"
while IFS= read -r name; do
    # The test's output: a GoogleTest skip says why on the line after
    # "Skipped"; a script says it last.
    reason=$(awk -v t="Test: $name" '
        index($0, t) && $0 ~ / Test: / { inside = 1; next }
        inside && /^Output:/ { body = 1; next }
        inside && body && /^<end of output>/ { exit }
        inside && body { if (after) { why = $0; after = 0 } if ($0 ~ /: Skipped$/) after = 1; last = $0 }
        END { print (why != "" ? why : last) }' "$log")
    echo "  $name: ${reason:-no reason given}"
done <<< "$skipped"
