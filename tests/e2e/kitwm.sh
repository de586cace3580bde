#!/usr/bin/env bash
# The kit's windows under a real window manager: the window tests run on an X server (Xvfb) with
# openbox framing the windows, at 100 % and at 200 % (the offscreen check of the centring over the
# owner is left out: a real frame arrives only after the window is shown). Exits 77 (skipped) when
# Xvfb or openbox is missing.
# Usage: kitwm.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
tests=$build/tests/test_kitwindows

skip() {
  echo "SKIP: $*" >&2
  exit 77
}
for tool in xvfb-run Xvfb openbox xprop; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[[ -x $tests ]] || skip "$tests is not built"

run() {
  local scale=$1
  echo "== window manager tests at scale $scale"
  # A private server and window manager, gone with the run. The test programs start on the
  # offscreen platform unless told otherwise on the command line.
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    trap "kill $wm 2>/dev/null" EXIT
    # Ready once it has announced itself on the root window (a loaded machine may take seconds).
    for _ in $(seq 100); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
      sleep 0.1
    done
    QT_SCALE_FACTOR='"$scale"' "$0" -platform xcb --gtest_filter="WindowFrame.*:MsgWindow.*:WorkingDlg.*-WorkingDlg.CentredOverTheOwner"
  ' "$tests"
}
run 1
run 2
