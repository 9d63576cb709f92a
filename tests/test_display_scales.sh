#!/usr/bin/env bash
# Runs the display-scale test at 96, 120, 144 and 192 DPI (100, 125, 150 and 200 %): at 96 in
# the Wine session the suite runs in, the others each in a session of the prefix that with-wine
# keeps for other scales, so the other tests keep theirs.
#   test_display_scales.sh BUILD_DIR TEST_PROGRAM
set -uo pipefail
build=$1 program=$2
root=$(cd "$(dirname "$0")/.." && pwd)
failed=""
echo "at 96 DPI:"
wine "$program" || failed=" 96"
for dpi in 120 144 192; do
  echo "at $dpi DPI:"
  BUILD_DIR=$build TNW_DPI=$dpi "$root/scripts/with-wine" wine "$program" || failed="$failed $dpi"
done
if [ -n "$failed" ]; then
  echo "FAILED at DPI:$failed" >&2
  exit 1
fi
