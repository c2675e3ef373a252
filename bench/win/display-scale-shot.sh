#!/bin/sh
# Takes a screenshot of a pose of menu_screenshots at another display scale: by default the
# dialog with rows, flags and a long path; DISABLED_SettingsDialog gives "Einstellungen". A pose
# that prints a rectangle (WxH+X+Y) is cut to it.
# Usage: bench/win/display-scale-shot.sh DPI OUT.png [POSE]   (after building menu_screenshots)
# Uses a Wine prefix of its own, so the tests' prefix stays at 96 DPI.
set -eu
dpi=$1
out=$2
pose=${3:-DISABLED_AtDisplayScale}
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/windows"
prefix="$build/wineprefix-scale"
shots=$(mktemp -d)

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r number <"$fifo"
rm -f "$fifo"
export DISPLAY=":$number"
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$shots"' EXIT

"$root/tools/wine-run" --prefix "$prefix" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
    /t REG_DWORD /d "$dpi" /f >/dev/null
# Wine's virtual desktop draws the window frame (Xvfb has no window manager).
TONSCHLEUDER_SHOT_DIR="Z:$shots" "$root/tools/wine-run" --prefix "$prefix" \
    explorer /desktop=Tonschleuder,1600x1200 "$build/bench/win/menu_screenshots.exe" \
    --gtest_also_run_disabled_tests --gtest_filter="Screenshot.$pose" >"$shots/output" 2>&1 &
program=$!
i=0
while [ ! -e "$shots/open" ] && [ $i -lt 120 ]; do
    sleep 1
    i=$((i + 1))
done
sleep 1
geometry=$(tr -d '\r' <"$shots/output" | grep -E '^[0-9]+x[0-9]+\+[0-9]+\+[0-9]+$' | head -n 1 ||
    true)
if [ -n "$geometry" ]; then
    import -window root -crop "$geometry" +repage "$out"
else
    import -window root "$out"
fi
touch "$shots/done"
wait $program || true
