#!/usr/bin/env bash
# End-to-end runs of vekpokaz-export on the sample printouts, checked with poppler-utils.
# Usage: export.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
exe=$build/src/tools/vekpokaz-export/vekpokaz-export
sample=$src/examples/kosztorys.wyd
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_eq() { [[ "$1" == "$2" ]] || fail "$3: expected '$2', got '$1'"; }
# Width x height of a PNG, from its IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 " x " $5*16777216+$6*65536+$7*256+$8}'; }
status_of() { set +e; "$@" >"$work/out" 2>"$work/err"; local s=$?; set -e; echo $s; }

pages=$("$exe" --info "$sample" 2>/dev/null | sed -n 's/.*"pages": *\([0-9]*\).*/\1/p')
[[ -n "$pages" && "$pages" -ge 2 ]] || fail "--info reports pages ($pages)"

# PDF: one A4 sheet per page, text kept as text.
"$exe" -q -o "$work/all.pdf" "$sample"
expect_eq "$(pdfinfo "$work/all.pdf" | sed -n 's/^Pages: *//p')" "$pages" "PDF page count"
pdfinfo "$work/all.pdf" | grep -q 'Page size: *595.* x 84[12].* pts (A4)' || fail "PDF sheets are A4"
pdftotext -layout "$work/all.pdf" "$work/all.txt"
grep -q 'Kosztorys ofertowy' "$work/all.txt" || fail "PDF text holds the title"
grep -q 'Wartość' "$work/all.txt" || fail "PDF text keeps Polish letters"
grep -q 'Strona 2' "$work/all.txt" || fail "page numbers are substituted"

# The PDF holds the text of the composed pages, page by page: the same characters as --text (the
# order of reading across columns, word gaps and dotted leaders are each reader's own).
page_chars() { tr -d ' .\t\n\f' | fold -w1 | LC_ALL=C sort | uniq -c | tr -s ' \n' ' '; }
same_text_as_pages() { # PDF PRINTOUT PAGES
  "$exe" -q --text "$2" >"$work/pages.txt"
  for ((i = 1; i <= $3; i++)); do
    expect_eq "$(pdftotext -f "$i" -l "$i" "$1" - | page_chars)" \
      "$(awk -v RS='\f' -v n="$i" 'NR == n' "$work/pages.txt" | page_chars)" "text of page $i of $1"
  done
}
same_text_as_pages "$work/all.pdf" "$sample" "$pages"
"$build/tests/vek-make-examples" --dense 5 "$work/dense.wyd" >/dev/null 2>&1
"$exe" -q -o "$work/dense.pdf" "$work/dense.wyd"
same_text_as_pages "$work/dense.pdf" "$work/dense.wyd" "$(pdfinfo "$work/dense.pdf" | sed -n 's/^Pages: *//p')"

# Page lists: ranges, typed order, repeats.
"$exe" -q --pages "2-$pages" -o "$work/part.pdf" "$sample"
expect_eq "$(pdfinfo "$work/part.pdf" | sed -n 's/^Pages: *//p')" "$((pages - 1))" "--pages 2-N"
"$exe" -q --pages "2, 1, 2" -o "$work/order.pdf" "$sample"
expect_eq "$(pdfinfo "$work/order.pdf" | sed -n 's/^Pages: *//p')" "3" "--pages 2,1,2"
pdftotext -f 2 -l 2 "$work/order.pdf" "$work/second.txt"
grep -q 'Kosztorys ofertowy' "$work/second.txt" || fail "page 1 comes second"

# Bad page lists are usage errors with the dialog's message, and leave no PDF behind.
expect_eq "$(status_of "$exe" -q --pages "5-2" -o "$work/bad.pdf" "$sample")" 2 "reversed range"
grep -q 'Podany zakres stron (5-2) jest nieprawidłowy' "$work/err" || fail "range message: $(cat "$work/err")"
expect_eq "$(status_of "$exe" -q --pages "999" -o "$work/bad.pdf" "$sample")" 2 "page past the end"
grep -q 'Nieprawidłowy numer strony: 999' "$work/err" || fail "page message: $(cat "$work/err")"
[[ ! -e "$work/bad.pdf" ]] || fail "a failed export leaves no PDF"
expect_eq "$(status_of "$exe" -q --pages ",1" -o "$work/bad.pdf" "$sample")" 2 "empty item"

# PNG and EMF: one file per page, "-N" before the extension or %d.
mkdir -p "$work/png" "$work/emf"
"$exe" -q --dpi 40 -o "$work/png/strona.png" "$sample"
expect_eq "$(ls "$work/png" | wc -l)" "$pages" "PNG files"
[[ -f "$work/png/strona-1.png" ]] || fail "PNG naming strona-1.png"
expect_eq "$(png_size "$work/png/strona-1.png")" "331 x 468" "PNG size at 40 dpi"
"$exe" -q --pages 1 -o "$work/emf/p%d.emf" "$sample"
[[ -f "$work/emf/p1.emf" ]] || fail "EMF naming with %d"
[[ "$(dd if="$work/emf/p1.emf" bs=1 skip=40 count=4 2>/dev/null)" == " EMF" ]] || fail "EMF signature"
# Page files replace older ones whole, keep their permissions, are made with the umask's, and
# leave no temporary files; a page that cannot be replaced is reported with its name.
head -c 300000 /dev/zero >"$work/emf/p2.emf"
chmod 600 "$work/emf/p2.emf"
rm "$work/emf/p1.emf"
(umask 027 && "$exe" -q -o "$work/emf/p%d.emf" "$sample")
expect_eq "$(ls "$work/emf" | wc -l)" "$pages" "EMF files, nothing else"
expect_eq "$(stat -c %a "$work/emf/p1.emf") $(stat -c %a "$work/emf/p2.emf")" "640 600" "EMF permissions"
"$exe" -q --pages 2 -o "$work/p%d.emf" "$sample"
cmp -s "$work/p2.emf" "$work/emf/p2.emf" || fail "an EMF page replaces the older file whole"
mkdir -p "$work/emfclash/p-1.emf"
expect_eq "$(status_of "$exe" -q -o "$work/emfclash/p.emf" "$sample")" 2 "unwritable EMF page"
grep -q "Nie można zapisać pliku $work/emfclash/p-1.emf" "$work/err" || fail "EMF page message: $(cat "$work/err")"
expect_eq "$(ls -A "$work/emfclash")" "p-1.emf" "no EMF page or temporary file after a failure"

# A page that cannot be written stops the export with the file's name; the pages after it are
# not written.
mkdir -p "$work/clash/p-2.png"
expect_eq "$(status_of "$exe" -q --dpi 20 -o "$work/clash/p.png" "$sample")" 2 "unwritable page"
grep -q "Nie można zapisać pliku $work/clash/p-2.png" "$work/err" || fail "unwritable page message: $(cat "$work/err")"
[[ ! -e "$work/clash/p-3.png" ]] || fail "no page written after the one that failed"

# A single EMF picture plays at its own frame size.
"$exe" -q --dpi 96 -o "$work/picture.png" "$work/emf/p1.emf"
# A WMF picture is one page in every mode, its text read as an EMF's is.
wmf=$src/fuzz/corpus/wmf/text.wmf
expect_eq "$("$exe" --text "$wmf" | tr -d '\f\n ')" "abcZażółćПривет" "text of a WMF picture"
"$exe" --trace "$wmf" | grep -q "^EXTTEXTOUTW" || fail "trace of a WMF picture"
expect_eq "$(png_size "$work/picture.png")" "794 x 1111" "picture PNG size"

# Text of the pages: one form feed between pages.
"$exe" -q --text "$sample" >"$work/text.txt"
expect_eq "$(tr -cd '\f' <"$work/text.txt" | wc -c)" "$((pages - 1))" "form feeds"
grep -q 'Kosztorys ofertowy' "$work/text.txt" || fail "--text holds the title"
# Word gaps where the page shows them, dotted leaders no words.
"$exe" -q --text "$src/examples/faktura.wyd" >"$work/faktura.txt"
grep -q '^Razem do zapłaty 510 399,99$' "$work/faktura.txt" || fail "--text joins a leader's ends with one space"

# The trace of the records is the golden trace the tests keep.
"$exe" -q --trace "$sample" >"$work/trace.txt"
expect_eq "$(grep -c '^# page ' "$work/trace.txt")" "$pages" "pages in the trace"
cmp -s "$work/trace.txt" "$src/tests/golden/kosztorys.trace" || fail "--trace differs from tests/golden/kosztorys.trace"

# Black and white, margins, thumbnail.
"$exe" -q --mono --margins 5,5,5,5 -o "$work/mono.pdf" "$sample"
expect_eq "$(pdfinfo "$work/mono.pdf" | sed -n 's/^Pages: *//p')" "$pages" "mono PDF"
"$exe" -q --thumbnail 200 -o "$work/thumb.png" "$sample"
expect_eq "$(png_size "$work/thumb.png")" "141 x 200" "thumbnail size"

# Two pages side by side on landscape sheets; a booklet pads to four pages a sheet.
"$exe" -q --mode reduced -o "$work/reduced.pdf" "$sample"
expect_eq "$(pdfinfo "$work/reduced.pdf" | sed -n 's/^Pages: *//p')" "$(((pages + 1) / 2))" "reduced sheets"
pdfinfo "$work/reduced.pdf" | grep -q 'Page size: *84[12].* x 595.* pts' || fail "reduced sheets are landscape"
"$exe" -q --mode booklet --pages 1-2 -o "$work/booklet.pdf" "$sample"
expect_eq "$(pdfinfo "$work/booklet.pdf" | sed -n 's/^Pages: *//p')" "2" "booklet sides"
pdftotext -f 1 -l 1 "$work/booklet.pdf" "$work/front.txt"
grep -q 'Kosztorys ofertowy' "$work/front.txt" || fail "page 1 on the booklet's front"
expect_eq "$(status_of "$exe" -q --mode booklet -o "$work/x%d.emf" "$sample")" 2 "booklet to EMF"

# Wrong usage and unreadable input.
expect_eq "$(status_of "$exe" --margins 1,2 -o "$work/x.pdf" "$sample")" 2 "bad margins"
printf 'not a printout' >"$work/junk.wyd"
expect_eq "$(status_of "$exe" -q -o "$work/x.pdf" "$work/junk.wyd")" 1 "not a printout"
grep -q 'Plik nie zawiera prawidłowego wydruku Vekta' "$work/err" || fail "not-a-printout message"

# A printout without pages gives no PDF, and an empty text.
"$build/tests/vek-make-examples" --empty "$work/empty.wyd" >/dev/null 2>&1
expect_eq "$(status_of "$exe" -q -o "$work/empty.pdf" "$work/empty.wyd")" 1 "empty printout to PDF"
grep -q 'Brak stron do wydrukowania' "$work/err" || fail "no-pages message: $(cat "$work/err")"
[[ ! -e "$work/empty.pdf" ]] || fail "no PDF for an empty printout"
expect_eq "$(status_of "$exe" -q --text "$work/empty.wyd")" 0 "empty printout to text"

# Progress goes to standard error, one line per page when it is not a terminal.
"$exe" -o "$work/progress.pdf" "$sample" 2>"$work/progress.txt"
grep -q '^strona 1$' "$work/progress.txt" || fail "progress lines"

# Standard error holds the exporter's own words only, also on a machine without a session.
env -u XDG_RUNTIME_DIR "$exe" -q -o "$work/quiet.pdf" "$sample" 2>"$work/quiet.txt"
[[ ! -s "$work/quiet.txt" ]] || fail "quiet export writes nothing to standard error: $(cat "$work/quiet.txt")"

[[ $failures -eq 0 ]] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "export.sh: all checks passed"
