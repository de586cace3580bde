#!/usr/bin/env bash
# Real print jobs of vekpokaz-export --print: a private CUPS server (its own settings, spool and
# socket, named after the run) with a cups-pdf queue receives the jobs; the PDF that comes out is
# checked with poppler-utils. Exits 77 (skipped) when CUPS cannot be started on this machine.
# Usage: print.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
exe=$build/src/tools/vekpokaz-export/vekpokaz-export
sample=$src/examples/faktura.wyd
export QT_QPA_PLATFORM=offscreen

skip() {
  echo "SKIP: $*" >&2
  exit 77
}
[[ $(id -u) -eq 0 ]] || skip "a private cupsd with the cups-pdf backend needs root"
for tool in cupsd lpadmin lpinfo lpstat cupsaccept cupsreject pdfinfo pdftotext; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[[ -x /usr/lib/cups/backend/cups-pdf ]] || skip "the cups-pdf backend is not installed"
for dir in /etc/cups /var/spool/cups /var/cache /var/log; do
  [[ -d $dir && -w $dir ]] || skip "$dir is not a writable folder"
done

# The private server keeps its files where Debian's AppArmor profile of cupsd lets it (under
# /etc/cups, /var/spool/cups, /var/cache/cups, /run/cups, /var/log/cups), each named after this
# run, so two runs at once (normal and sanitizer builds) never meet. cups-pdf keeps its own settings
# and writes where they say; the printout is copied under a name of this run, which names the job
# and so the PDF.
id=vekprint$$
etc=/etc/cups/$id
spool=/var/spool/cups/$id
cache=/var/cache/cups/$id
state=/run/cups/$id
logs=/var/log/cups/$id
work=$(mktemp -d)
title=faktura-$id
cupsd_pid=
pdf_out=
cleanup() {
  local status=$?
  set +e
  if [[ -n $cupsd_pid ]]; then
    kill "$cupsd_pid" 2>/dev/null
    wait "$cupsd_pid" 2>/dev/null
  fi
  [[ -n $pdf_out ]] && find "$pdf_out" -maxdepth 1 -name "$title[^0-9]*.pdf" -delete 2>/dev/null
  rm -rf "$etc" "$spool" "$cache" "$state" "$state.sock" "$logs"-*_log "$work"
  exit "$status"
}
trap cleanup EXIT
mkdir -p "$etc/ppd" "$spool/tmp" "$cache" "$state" /var/log/cups
chmod 755 /run/cups "$spool"
chmod 1777 "$spool/tmp" # filters run as lp
cp "$sample" "$work/$title.wyd"
cat >"$etc/cupsd.conf" <<EOF
Listen $state.sock
LogLevel info
ErrorPolicy abort-job
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
EOF
cat >"$etc/cups-files.conf" <<EOF
ServerRoot $etc
RequestRoot $spool
TempDir $spool/tmp
CacheDir $cache
StateDir $state
Printcap $state/printcap
ErrorLog $logs-error_log
AccessLog $logs-access_log
PageLog $logs-page_log
User lp
Group lp
SystemGroup root
FileDevice No
EOF

# Where cups-pdf writes the jobs of this user (its Out setting, by default in its spool folder).
pdf_out=$(sed -n 's/^[[:space:]]*Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -n 1)
pdf_out=${pdf_out:-'/var/spool/cups-pdf/${USER}'}
home=$(getent passwd "$(id -un)" | cut -d: -f6)
pdf_out=${pdf_out//'${HOME}'/$home}
pdf_out=${pdf_out//'${USER}'/$(id -un)}
export CUPS_SERVER=$state.sock

cupsd -f -c "$etc/cupsd.conf" -s "$etc/cups-files.conf" >"$work/cupsd.out" 2>&1 &
cupsd_pid=$!
for _ in $(seq 50); do
  lpstat -r >/dev/null 2>&1 && break
  kill -0 "$cupsd_pid" 2>/dev/null || break
  sleep 0.2
done
if ! lpstat -r >/dev/null 2>&1; then
  cat "$work/cupsd.out" "$logs-error_log" >&2 2>/dev/null || true
  skip "cupsd did not start"
fi

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_eq() { [[ "$1" == "$2" ]] || fail "$3: expected '$2', got '$1'"; }
status_of() { set +e; "$@" >"$work/stdout" 2>"$work/stderr"; local s=$?; set -e; echo $s; }

# The PDF cups-pdf made of this run's job, once the queue is empty (at most a minute); empty if none.
wait_for_pdf() {
  local found=
  for _ in $(seq 120); do
    found=$(find "$pdf_out" -maxdepth 1 -name "$title[^0-9]*.pdf" -print -quit 2>/dev/null)
    [[ -n $found ]] && ! lpstat -o VekPdf 2>/dev/null | grep -q . && break
    sleep 0.5
  done
  echo "$found"
}

# The queue: cups-pdf's own PPD; poppler's cairo renderer keeps the text of the job searchable.
model=$(lpinfo -m | awk '/CUPS-PDF_opt\.ppd/ {print $1; exit}')
[[ -n $model ]] || skip "lpinfo -m lists no CUPS-PDF driver"
lpadmin -p VekPdf -v cups-pdf:/ -m "$model" -E -o PageSize=A4 \
  -o pdftops-renderer-default=pdftocairo 2>/dev/null || skip "lpadmin could not add the cups-pdf queue"

# An unknown printer: exit 1, its name and the known printers in the message, no job.
expect_eq "$(status_of "$exe" -q --print NieMaTakiej "$sample")" 1 "unknown printer exit status"
grep -q 'NieMaTakiej' "$work/stderr" || fail "the message names the unknown printer"
grep -q 'VekPdf' "$work/stderr" || fail "the message lists the known printers"

# Page 2 in two copies.
expect_eq "$(status_of "$exe" -q --print VekPdf --pages 2 --copies 2 "$work/$title.wyd")" 0 "print exit status"
cat "$work/stderr" >&2
pdf=$(wait_for_pdf)
if [[ -z $pdf ]]; then
  fail "no PDF named $title came out of the queue into $pdf_out"
  tail -n 30 "$logs-error_log" >&2 || true
else
  info=$(pdfinfo "$pdf")
  expect_eq "$(sed -n 's/^Pages: *//p' <<<"$info")" 2 "pages of two copies of one page"
  grep -q 'Page size: *595.* x 84[12].* pts (A4)' <<<"$info" || fail "the sheets are A4"
  grep -q "^Title: *(\\?$title)\\?\$" <<<"$info" || fail "the job is named after the printout"
  pdftotext "$pdf" "$work/job.txt"
  grep -q 'Strona 2' "$work/job.txt" || fail "page 2 was printed"
  grep -q 'Strona 1' "$work/job.txt" && fail "page 1 was printed too"
  grep -q 'Razem' "$work/job.txt" || fail "the totals of page 2 are there"
  grep -q 'Dachówka' "$work/job.txt" || fail "Polish letters survive the print run"
fi

# Two pages side by side on one landscape sheet (the printer turns it onto its portrait paper), in
# black and white.
find "$pdf_out" -maxdepth 1 -name "$title[^0-9]*.pdf" -delete
expect_eq "$(status_of "$exe" -q --print VekPdf --mode reduced --mono "$work/$title.wyd")" 0 "reduced print exit status"
pdf=$(wait_for_pdf)
if [[ -z $pdf ]]; then
  fail "no PDF of the reduced job came out of the queue"
else
  expect_eq "$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')" 1 "sheets of two pages side by side"
  pdftotext "$pdf" "$work/reduced.txt"
  grep -q 'Strona 1' "$work/reduced.txt" && grep -q 'Strona 2' "$work/reduced.txt" ||
    fail "both pages are on the reduced sheet"
fi

# A page list that fails after page 2 was drawn (page 9 is past the end) is wrong usage, and the
# pages drawn so far are not sent.
jobs_before=$(lpstat -W all -o VekPdf | wc -l)
expect_eq "$(status_of "$exe" -q --print VekPdf --pages "2, 9" "$sample")" 2 "page past the end"
expect_eq "$(lpstat -W all -o VekPdf | wc -l)" "$jobs_before" "jobs after a failed export"

# A queue that refuses jobs: the failure is reported, never success.
cupsreject VekPdf
expect_eq "$(status_of "$exe" -q --print VekPdf --pages 1 "$sample")" 1 "refused job exit status"
grep -q 'VekPdf' "$work/stderr" || fail "the refused job's message names the printer"
cupsaccept VekPdf

[[ $failures -eq 0 ]] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "print: all checks passed"
