#!/usr/bin/env bash
# Opens a report file of several appended entries in LibreOffice and checks
# what comes out: texts and table cells in order, a portrait then a landscape
# page, bold and italic runs, colours and cell borders.
#
#   rtf_libreoffice.sh <rtf_interop_doc executable>
#
# Exit 77 (skipped) when soffice or poppler-utils are not installed.
set -u

gen=${1:?usage: rtf_libreoffice.sh <rtf_interop_doc>}
source "$(dirname "$0")/office_common.sh" "$gen"

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
expect_in_order

# Page 1 portrait (A4), page 2 landscape.
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
