#!/usr/bin/env bash
# Runs the workbook fuzzer for a fixed time per reader, with a fixed seed.
# usage: tools/fuzz/run-fuzz.sh [seconds per target, default 60] [build folder, default build]
#                               [mode: isolated (default, as the program opens workbooks) or
#                                in-process (the libraries called directly)]
# Findings (crashes, hangs, other exceptions) are saved under <build>/fuzz-findings; replay one
# with: <build>/bin/fuzz-workbook --replay [--isolated] FILE
set -uo pipefail
seconds=${1:-60}
build=${2:-build}
mode=${3:-isolated}
here=$(cd "$(dirname "$0")/../.." && pwd)
[[ $build = /* ]] || build="$here/$build"
cmake --build "$build" --target fuzz-workbook >/dev/null || exit 2
status=0
for target in xlsx xls movimentos cambios; do
  "$build/bin/fuzz-workbook" "$seconds" --target "$target" --seed 2026 --mode "$mode" \
    --findings "$build/fuzz-findings" || status=1
done
exit $status
