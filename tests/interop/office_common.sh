# Shared by the LibreOffice checks of RTF reports; sourced, not run.
#
#   source office_common.sh <generator executable>
#
# Exits 77 (skipped) when soffice or poppler-utils are not installed.
# Otherwise runs the generator into $work/report.rtf, converts it to PDF and
# leaves its lines, blanks squeezed and empty lines dropped, in the array
# `got`. Needs: libreoffice-writer-nogui (or any soffice with Writer),
# poppler-utils.

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

convert() {  # $1 = target format
    timeout 240 "$soffice" --headless --norestore --nolockcheck \
        "-env:UserInstallation=$profile" \
        --convert-to "$1" --outdir "$work" "$work/report.rtf" >"$work/soffice-$1.log" 2>&1
    [[ -s "$work/report.$1" ]] || {
        cat "$work/soffice-$1.log"
        fail "soffice did not convert the report to $1"
    }
}

# Fails unless every line of the array `expected` comes in `got`, in order.
expect_in_order() {
    local i=0 want
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
}

# portrait or landscape, of page $1 of the PDF.
orient() {
    "$pdfinfo" -f "$1" -l "$1" "$work/report.pdf" |
        awk -v p="$1" '$1 == "Page" && $2 == p && $3 == "size:" {
            print ($4 < $6) ? "portrait" : "landscape" }'
}

"$1" "$work/report.rtf" || fail "the generator could not write the report"
convert pdf
"$pdftotext" -layout -enc UTF-8 "$work/report.pdf" "$work/report.txt" ||
    fail "pdftotext failed"
# Table cells are separated by runs of blanks in the layout.
mapfile -t got < <(sed -e 's/[[:space:]]\+/ /g' -e 's/^ //' -e 's/ $//' -e '/^$/d' "$work/report.txt")
