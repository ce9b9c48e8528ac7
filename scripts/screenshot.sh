#!/usr/bin/env bash
# Makes docs/main-window.png: the built program's main window under Xvfb with a
# CJK font and a window manager, as a user first sees it.
#   scripts/screenshot.sh [path/to/velmora]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/app/velmora}
"$root/scripts/install-deps.sh" test
if ! command -v import >/dev/null; then
  sudo=()
  [[ $(id -u) -ne 0 ]] && sudo=(sudo)
  "${sudo[@]}" apt-get install -y -q --no-install-recommends imagemagick
fi
/usr/bin/python3 "$root/scripts/screenshot.py" "$program" "$root/docs/main-window.png"
