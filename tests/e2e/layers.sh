#!/usr/bin/env bash
# The layers run one way: platform -> richtext -> document -> printing -> kit -> viewing -> shell.
# A unit includes only its own folder and the folders below it, and the folders below kit never
# include Qt Widgets or Qt's printing support (the exporter and the thumbnailer link them alone).
set -euo pipefail
src=${2:-$(cd "$(dirname "$0")/../.." && pwd)}/src
layers=(platform richtext document printing kit viewing shell)
status=0
for ((i = 0; i < ${#layers[@]}; i++)); do
  folder=${layers[$i]}
  [ -d "$src/$folder" ] || continue
  allowed="${layers[*]:0:$((i + 1))}"
  while IFS=: read -r file line text; do
    target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$text")
    if [[ " $allowed " != *" $target "* ]]; then
      echo "$file:$line: $folder/ includes $target/, a layer above it"
      status=1
    fi
  done < <(grep -HnE '^#include "[a-z]+/' "$src/$folder"/*.cpp "$src/$folder"/*.h 2>/dev/null || true)
  if ((i < 4)); then
    if grep -HnE '^#include <(QtWidgets/|QtPrintSupport/)?Q(Widget|Application|Dialog|Printer|PrintDialog|MainWindow|Label|PushButton|ScrollBar|Abstract[A-Za-z]*)\b' \
         "$src/$folder"/*.cpp "$src/$folder"/*.h 2>/dev/null; then
      echo "$folder/ must not use Qt Widgets or Qt's printing support"
      status=1
    fi
  fi
done
[ $status -eq 0 ] && echo "layers: every include runs down the layers"
exit $status
