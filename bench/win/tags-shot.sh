#!/bin/sh
# Takes the screenshot of a tagged album just dropped (docs/tags.png), or of another pose.
# Usage: bench/win/tags-shot.sh OUT.png [PROGRAM]   (after building tags_screenshot, or
# PROGRAM: folder_drop_screenshot for docs/folder-drop.png)
set -eu
out=$1
program_name=${2:-tags_screenshot}
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/windows"
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r number <"$fifo"
rm -f "$fifo"
export DISPLAY=":$number"
rect=$(mktemp)
trap 'kill $xvfb 2>/dev/null || true; rm -f "$rect"' EXIT
# Wine's virtual desktop draws the window frame (Xvfb has no window manager).
# A prefix of its own: no Lame.exe path stored by the tests.
"$root/tools/wine-run" --prefix "$build/wineprefix-shot" explorer /desktop=Tonschleuder,1280x800 \
    "$build/bench/win/$program_name.exe" 40 >"$rect" &
program=$!
i=0
while [ ! -s "$rect" ] && [ $i -lt 120 ]; do
    sleep 1
    i=$((i + 1))
done
sleep 3
import -window root "$out.full.png"
geometry=$(tr -d '\r' <"$rect" | head -n 1)
convert "$out.full.png" -crop "$geometry" +repage "$out"
rm -f "$out.full.png"
kill $program 2>/dev/null || true
wait $program 2>/dev/null || true
