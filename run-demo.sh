#!/usr/bin/env bash
# Installs what is missing, builds, seeds a demo folder and starts the program on it. Without a
# display the program runs under Xvfb, saves a screenshot of its main window, then runs the
# check-up and the consolidation of the demo's month through agrimor-batch and exits.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target agrimor agrimor-seed agrimor-batch agrimor_sqlite_ext

demo="$PWD/demo"
# The program looks for its data folder as "corvane" under the shared data folders.
./build/bin/agrimor-seed "$demo/corvane" --force
export XDG_DATA_DIRS="$demo"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/bin/agrimor
fi
shot="$demo/main-window.png"
AGRIMOR_SCREENSHOT="$shot" xvfb-run -a -s "-screen 0 1280x800x24" ./build/bin/agrimor
echo "No display: the main window was drawn under Xvfb and saved to $shot"

# The demo year of the seeder and its last month with class-9 movements, all six companies.
year=2026
month=10
echo
echo "Check-up of $month/$year through agrimor-batch:"
status=0
./build/bin/agrimor-batch checkup --year "$year" --month "$month" --companies all --yes || status=$?
if [ "$status" -ne 0 ]; then
  echo "The check-up ended with code $status (2: anomalies found, 1: error); nothing consolidated."
  exit "$status"
fi
echo
echo "Consolidation of $month/$year through agrimor-batch (after the messages: the lines written per"
echo "company and the rounding lines that close the documents a cent off once converted):"
./build/bin/agrimor-batch consolidate --year "$year" --month "$month" --companies all --yes
echo "The consolidated movements are in $demo/corvane/Consolidado.db (MovCTB, TpDoc CNS, one series per company)."
echo
echo "Where the group stands after it (agrimor-batch estado --year $year):"
./build/bin/agrimor-batch estado --year "$year"
