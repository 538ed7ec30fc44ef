#!/usr/bin/env bash
# Opens a report file of several appended entries in LibreOffice and checks
# what comes out: texts and table cells in order, a portrait then a landscape
# page, bold and italic runs, colours and cell borders.
#
#   rtf_libreoffice.sh <rtf_interop_doc executable>
#
# Exit 77 (skipped) when soffice or pdftotext is not installed.
# Needs: libreoffice-writer-nogui (or any soffice with Writer), poppler-utils.
set -u

gen=${1:?usage: rtf_libreoffice.sh <rtf_interop_doc>}

find_tool() {  # $1 = preferred path (may be empty or *-NOTFOUND), $2 = name
    if [[ -n "$1" && -x "$1" ]]; then
        echo "$1"
    else
        command -v "$2" || true
    fi
}
soffice=$(find_tool "${SOFFICE:-}" soffice)
pdftotext=$(find_tool "${PDFTOTEXT:-}" pdftotext)
pdfinfo=$(command -v pdfinfo || true)
pdffonts=$(command -v pdffonts || true)
if [[ -z "$soffice" || -z "$pdftotext" || -z "$pdfinfo" || -z "$pdffonts" ]]; then
    echo "SKIP: soffice and poppler-utils are needed"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A private profile, so a running or crashed office cannot lock us out.
export HOME="$work/home"
mkdir -p "$HOME"
profile="file://$work/profile"

fail() {
    echo "FAIL: $*"
    exit 1
}

"$gen" "$work/report.rtf" || fail "the generator could not write the report"

convert() {  # $1 = target format
    timeout 240 "$soffice" --headless --norestore --nolockcheck \
        "-env:UserInstallation=$profile" \
        --convert-to "$1" --outdir "$work" "$work/report.rtf" >"$work/soffice-$1.log" 2>&1
    [[ -s "$work/report.$1" ]] || {
        cat "$work/soffice-$1.log"
        fail "soffice did not convert the report to $1"
    }
}

convert pdf
"$pdftotext" -layout -enc UTF-8 "$work/report.pdf" "$work/report.txt" ||
    fail "pdftotext failed"

# Lines of the text with blanks squeezed (table cells are separated by runs
# of blanks in the layout), empty lines dropped.
mapfile -t got < <(sed -e 's/[[:space:]]\+/ /g' -e 's/^ //' -e 's/ $//' -e '/^$/d' "$work/report.txt")
expected=(
    "Отчет о вибрации"
    "Дата 06.12.2026 Время 14:03:27"
    "Курсивная строка"
    "Красный текст и синий текст"
    "Скобки {фигурные} и обратная косая \\ черта"
    "Канал А1"
    "Компонента Частота, Гц Уровень Совпадения"
    "Вал 1 25.00 1.23 Зубцовая"
    "Подшипник 147.50 0.45 -"
    "Редуктор 1250.0 7.80 Вал 2"
    "Альбомный раздел"
    "Канал Б2"
    "Компонента Частота, Гц Уровень Совпадения"
    "Лопатки 3200.0 12.5 Нет"
    "Конец отчета"
)
i=0
for want in "${expected[@]}"; do
    while ((i < ${#got[@]})) && [[ "${got[i]}" != "$want" ]]; do
        ((i++))
    done
    if ((i == ${#got[@]})); then
        printf '%s\n' "--- text of the PDF:" "${got[@]}"
        fail "line not found in order: $want"
    fi
    ((i++))
done

# Page 1 portrait (A4), page 2 landscape.
orient() {
    "$pdfinfo" -f "$1" -l "$1" "$work/report.pdf" |
        awk -v p="$1" '$1 == "Page" && $2 == p && $3 == "size:" {
            print ($4 < $6) ? "portrait" : "landscape" }'
}
[[ "$(orient 1)" == portrait ]] || fail "page 1 is not portrait"
[[ "$(orient 2)" == landscape ]] || fail "page 2 is not landscape"

fonts=$("$pdffonts" "$work/report.pdf")
grep -q -- '-Bold' <<<"$fonts" || fail "no bold font in the PDF"
grep -qE -- '-(Oblique|Italic)' <<<"$fonts" || fail "no italic font in the PDF"

# Colours and borders are not in the PDF's text: read them from the flat
# document form.
convert fodt
fodt="$work/report.fodt"
grep -q 'fo:color="#0000ff"' "$fodt" || fail "blue text lost"
grep -q 'fo:color="#ff0000"' "$fodt" || fail "red text lost"
grep -qE 'fo:border="[0-9.]+pt solid #000000"' "$fodt" || fail "cell borders lost"

echo "PASS: report opens in LibreOffice with texts, tables, styles and pages in order"
exit 0
