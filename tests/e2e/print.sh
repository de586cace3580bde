#!/usr/bin/env bash
# Real print jobs of vekpokaz-export --print: a private CUPS server (its own folders and socket in a
# temporary folder) with a cups-pdf queue receives the job; the PDF that comes out is checked with
# poppler-utils. Exits 77 (skipped) when CUPS cannot be started on this machine.
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
[[ -w /etc/cups ]] || skip "/etc/cups (where cups-pdf reads its settings) is not writable"

# Everything of this run is private: folder, socket and cups-pdf instance are named after the pid,
# so two runs at once (normal and sanitizer builds) never meet.
work=$(mktemp -d /tmp/vekcups.XXXXXX)
instance=vek$$
pdfconf=/etc/cups/cups-pdf-$instance.conf
cupsd_pid=
cleanup() {
  local status=$?
  set +e
  if [[ -n $cupsd_pid ]]; then
    kill "$cupsd_pid" 2>/dev/null
    wait "$cupsd_pid" 2>/dev/null
  fi
  rm -f "$pdfconf"
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
chmod 755 "$work" # filters run as lp and read the spooled job
mkdir -p "$work/etc/ppd" "$work/spool/tmp" "$work/cache" "$work/state" "$work/log" "$work/out" "$work/pdfspool"
chmod 1777 "$work/spool/tmp"
cat >"$work/etc/cupsd.conf" <<EOF
Listen $work/cups.sock
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
cat >"$work/etc/cups-files.conf" <<EOF
ServerRoot $work/etc
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
User lp
Group lp
SystemGroup root
FileDevice No
EOF
cat >"$pdfconf" <<EOF
Out $work/out
AnonDirName $work/out
Spool $work/pdfspool
TitlePref 1
Label 0
EOF
export CUPS_SERVER=$work/cups.sock

cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" >"$work/log/cupsd.out" 2>&1 &
cupsd_pid=$!
for _ in $(seq 50); do
  lpstat -r >/dev/null 2>&1 && break
  kill -0 "$cupsd_pid" 2>/dev/null || break
  sleep 0.2
done
if ! lpstat -r >/dev/null 2>&1; then
  cat "$work/log/cupsd.out" "$work/log/error_log" >&2 2>/dev/null || true
  skip "cupsd did not start"
fi

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_eq() { [[ "$1" == "$2" ]] || fail "$3: expected '$2', got '$1'"; }
status_of() { set +e; "$@" >"$work/stdout" 2>"$work/stderr"; local s=$?; set -e; echo $s; }

# The queue: cups-pdf's own PPD; poppler's cairo renderer keeps the text of the job searchable.
model=$(lpinfo -m | awk '/CUPS-PDF_opt\.ppd/ {print $1; exit}')
[[ -n $model ]] || skip "lpinfo -m lists no CUPS-PDF driver"
lpadmin -p VekPdf -v "cups-pdf:/$instance" -m "$model" -E -o PageSize=A4 \
  -o pdftops-renderer-default=pdftocairo 2>/dev/null || skip "lpadmin could not add the cups-pdf queue"

# An unknown printer: exit 1, its name and the known printers in the message, no job.
expect_eq "$(status_of "$exe" -q --print NieMaTakiej "$sample")" 1 "unknown printer exit status"
grep -q 'NieMaTakiej' "$work/stderr" || fail "the message names the unknown printer"
grep -q 'VekPdf' "$work/stderr" || fail "the message lists the known printers"

# Page 2 in two copies.
expect_eq "$(status_of "$exe" -q --print VekPdf --pages 2 --copies 2 "$sample")" 0 "print exit status"
cat "$work/stderr" >&2
pdf=
for _ in $(seq 120); do
  pdf=$(find "$work/out" -name '*.pdf' -print -quit)
  [[ -n $pdf ]] && ! lpstat -o VekPdf 2>/dev/null | grep -q . && break
  sleep 0.5
done
if [[ -z $pdf ]]; then
  fail "no PDF came out of the queue"
  tail -n 30 "$work/log/error_log" >&2 || true
else
  info=$(pdfinfo "$pdf")
  expect_eq "$(sed -n 's/^Pages: *//p' <<<"$info")" 2 "pages of two copies of one page"
  grep -q 'Page size: *595.* x 84[12].* pts (A4)' <<<"$info" || fail "the sheets are A4"
  grep -q '^Title: *(\?faktura)\?$' <<<"$info" || fail "the job is named after the printout"
  pdftotext "$pdf" "$work/job.txt"
  grep -q 'Strona 2' "$work/job.txt" || fail "page 2 was printed"
  grep -q 'Strona 1' "$work/job.txt" && fail "page 1 was printed too"
  grep -q 'Razem' "$work/job.txt" || fail "the totals of page 2 are there"
  grep -q 'Dachówka' "$work/job.txt" || fail "Polish letters survive the print run"
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
