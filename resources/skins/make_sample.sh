#!/bin/sh
# Redraws the sample skin "Verdigris" and packs it:
#   resources/skins/Verdigris/        source folder (one BMP per bitmap key, values.txt)
#   resources/skins/Verdigris.kvt     the skin file
#   resources/skins/Verdigris-preview.png
# Usage: resources/skins/make_sample.sh [BUILD_DIR]   (default: build; needs rq-skingen and kvtool built)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-"$here/../../build"}
bin="$build/bin"
for tool in rq-skingen kvtool; do
  [ -x "$bin/$tool" ] || { echo "make_sample.sh: $bin/$tool not built (cmake --build $build --target $tool)" >&2; exit 1; }
done
rm -rf "$here/Verdigris"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bin/rq-skingen" "$here"
"$bin/kvtool" pack "$here/Verdigris" "$here/Verdigris.kvt"
"$bin/kvtool" check "$here/Verdigris.kvt"
