#!/usr/bin/env bash
# Installs what is missing, builds, seeds a demo folder and starts the program on it. Without a
# display the program runs under Xvfb, saves a screenshot of its main window and exits.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target agrimor agrimor-seed agrimor_sqlite_ext

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
