#!/bin/sh
# An album of FLAC against the same audio as WAV, with the launcher and the bundled lame.exe
# under Wine: eight copies of a three-minute track of pink noise (FLAC's hardest case: it hardly
# packs, so its decode costs most), encoded up to one per processor, WAV and FLAC in
# alternation PAIRS times (a busy machine then disturbs both alike). Prints each run's wall time
# and the ratio of the sums.
# Usage: bench/win/flac-album-bench.sh [PAIRS]   (after building launcher_encode_bench)
set -eu
pairs=${1:-3}
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/windows"
lame=$(ls "$root"/build/deps/lame-*/dist/lame.exe | head -n 1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -r 44100 -c 2 -n -b 16 "$work/album.wav" synth 180 pinknoise gain -12
flac --silent -o "$work/album.flac" "$work/album.wav"
windows() { echo "Z:$1" | sed 's#/#\\#g'; }

. "$root/tools/common.sh"
ts_start_xvfb
wav=0
flac=0
for pair in $(seq "$pairs"); do
    for kind in wav flac; do
        "$root/tools/wine-run" --prefix "$build/wineprefix" --unmanaged \
            "$build/bench/win/launcher_encode_bench.exe" --encoder "$(windows "$lame")" \
            "$(windows "$work/album.$kind")" >"$work/output" 2>&1 || true
        seconds=$(sed -n 's/^up to one per processor .*: *\([0-9.]*\) s\r*$/\1/p' "$work/output")
        if [ -z "$seconds" ]; then
            cat "$work/output" >&2
            echo "flac-album-bench: the $kind run failed" >&2
            exit 1
        fi
        echo "pair $pair, $kind: $seconds s (load $(cut -d' ' -f1 /proc/loadavg))"
        eval "$kind=\$(awk \"BEGIN { print \$$kind + $seconds }\")"
    done
done
echo "sum: WAV $wav s, FLAC $flac s, FLAC / WAV $(awk "BEGIN { printf \"%.3f\", $flac / $wav }")"
