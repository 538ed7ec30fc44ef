#!/usr/bin/env bash
# Opens a report of three entries written by the report table in
# LibreOffice and checks the text: date lines, measurement and mode lines,
# the header-channel line and every table's cells in order, the first page
# portrait and the entry with the new-page option on a landscape page.
#
#   report_libreoffice.sh <report_interop_doc executable>
#
# Exit 77 (skipped) when soffice or poppler-utils are not installed.
set -u

gen=${1:?usage: report_libreoffice.sh <report_interop_doc>}
source "$(dirname "$0")/office_common.sh" "$gen"

# Every expected line must come in this order (the page break falls before
# the third date).
head="Компонента Частота, Гц Уровень Совпадения"
expected=()
for entry in "14:03:27|12.5|1500|0.25" "14:03:34|20.0||0.40" "14:03:44|30.0|3000|0.60"; do
    IFS='|' read -r time secs mode mesh <<<"$entry"
    expected+=("Дата 06.12.2026 Время $time ($secs секунда)" "Замер: Замер17")
    [[ -n "$mode" ]] && expected+=("Режим: $mode")
    expected+=(
        "Speed = 1500.00 rpm; Temp = ?"
        "Acc1" "$head"
        "Вал 1x 25.00 1.25 Вал 1x,Гармоника"
        "Зубцовая 575.00 $mesh"
        "Полоса 10.00...1000.00 0.50"
        "Гармоника 25.00 0.75 Вал 1x,Гармоника"
        "Acc2" "$head"
        "Вал 1x 25.00 7.50 Вал 1x,Гармоника"
    )
done
expect_in_order
# No mode line in the second entry, and nothing but the three entries.
count=$(grep -c '^Режим:' < <(printf '%s\n' "${got[@]}"))
[[ "$count" == 2 ]] || fail "expected 2 mode lines, found $count"
count=$(grep -c '^Дата ' < <(printf '%s\n' "${got[@]}"))
[[ "$count" == 3 ]] || fail "expected 3 date lines, found $count"

[[ "$(orient 1)" == portrait ]] || fail "page 1 is not portrait"
[[ "$(orient 2)" == landscape ]] || fail "the new-page entry is not on a landscape page"
# The third entry starts page 2.
page2=$("$pdftotext" -f 2 -l 2 -layout -enc UTF-8 "$work/report.pdf" - | sed -e 's/[[:space:]]\+/ /g' -e 's/^ //' -e '/^$/d' | head -1)
[[ "$page2" == "Дата 06.12.2026 Время 14:03:44 (30.0 секунда)" ]] ||
    fail "page 2 starts with: $page2"

echo "PASS: report entries open in LibreOffice with their lines and tables in order"
exit 0
