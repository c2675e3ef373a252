#!/bin/sh
# The release zip as a packager reads it: makes it with CPack from the build tree (or takes the
# zip given), unpacks it, and checks that every library found inside its programs, and every
# program it carries, has an entry in THIRD-PARTY.txt and a complete folder: VERSION.txt
# beginning with that entry, a licence text, and, where we build it from source or its licence
# asks for the source, source/ with the Debian source package as its .dsc lists it.
#
# Usage: tests/release/zip_test.sh BUILD-TREE [REPORT.xml]
#        tests/release/zip_test.sh --zip FILE [REPORT.xml]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/report.sh"
export LC_ALL=C.UTF-8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$1" = --zip ]; then
    zip=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
    shift 2
else
    if ! (cd "$1" && cpack -G ZIP -B "$work/package") >"$work/cpack.log" 2>&1; then
        cat "$work/cpack.log"
        echo "cpack could not make the zip"
        exit 1
    fi
    zip=$(ls "$work"/package/*.zip)
    shift
fi
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip") || exit 1
top=$(ls -d "$work"/unpacked/*/ | head -n 1)
top=${top%/}

# What betrays a library inside a program: a text that its code carries, the name its entry in
# THIRD-PARTY.txt begins with (case aside; "|" between names that count alike), and a library
# that comes with it.
markers="Mingw-w64 runtime failure|MinGW-w64|
GCC: (GNU) |GCC|
LAME version |LAME|
N6TagLib10ByteVectorE|TagLib|
inflate 1.|zlib|
Xiph.Org libVorbis|libvorbis|libogg
libopus |Opus|libogg
reference libFLAC|FLAC|
libsndfile-|libsndfile|"

# THIRD-PARTY.txt as lines "NAME<tab>FOLDER<tab>IN".
entries() {
    [ -f "$top/THIRD-PARTY.txt" ] || return 0
    tr -d '\r' <"$top/THIRD-PARTY.txt" | awk '
        /^[^ =]/ { name = $0 }
        /^  Folder: / { folder = $0; sub(/^  Folder: +/, "", folder); sub(/\\$/, "", folder) }
        /^  In: / { sub(/^  In: +/, ""); print name "\t" folder "\t" $0 }'
}

# The entry whose name begins with one of the |-separated NAMES and whose In: names PROGRAM.
entry_for() {
    entries | awk -F '\t' -v names="$1" -v program="$2" '
        BEGIN { n = split(tolower(names), wanted, "|") }
        {
            for (i = 1; i <= n; i++) {
                if (index(tolower($1), wanted[i]) == 1 && index(", " $3 ",", " " program ",")) {
                    print; exit
                }
            }
        }'
}

# Each library found in a program, and each program but ours, has its entry.
every_library_and_program_has_an_entry() {
    [ -f "$top/THIRD-PARTY.txt" ] || { echo "no THIRD-PARTY.txt at the top of the zip"; return 1; }
    faults=0
    for program in "$top"/*.exe "$top"/*.dll; do
        [ -f "$program" ] || continue
        name=$(basename "$program")
        found=""
        while IFS='|' read -r marker entry also; do
            grep -a -q -F "$marker" "$program" || continue
            found="$found $entry"
            for wanted in "$entry" $also; do
                if [ -z "$(entry_for "$wanted" "$name")" ]; then
                    echo "$name holds $wanted (\"$marker\"), but THIRD-PARTY.txt has no entry for it in $name"
                    faults=$((faults + 1))
                fi
            done
        done <<END
$markers
END
        if [ "$name" != tonschleuder.exe ] && [ -z "$(entries | awk -F '\t' -v p="$name" 'index(", " $3 ",", " " p ",")')" ]; then
            echo "$name is in the zip, but no entry of THIRD-PARTY.txt names it"
            faults=$((faults + 1))
        fi
        case "$found" in
        *GCC*) ;;
        *) echo "$name: no known library found in it (not a MinGW-w64 program?)"; faults=$((faults + 1)) ;;
        esac
    done
    [ "$faults" -eq 0 ]
}

# Each entry's folder: VERSION.txt beginning with the entry, a licence text, and the source.
every_entry_has_a_complete_folder() {
    faults=0
    entries >"$work/entries"
    [ -s "$work/entries" ] || { echo "THIRD-PARTY.txt has no entries"; return 1; }
    while IFS="$(printf '\t')" read -r name folder _; do
        dir="$top/$folder"
        if [ ! -f "$dir/VERSION.txt" ]; then
            echo "$name: $folder/VERSION.txt is missing"
            faults=$((faults + 1))
            continue
        fi
        [ "$(head -n 1 "$dir/VERSION.txt" | tr -d '\r')" = "$name" ] ||
            { echo "$name: $folder/VERSION.txt begins otherwise"; faults=$((faults + 1)); }
        licence=$(sed -n '2{s/\r$//;s/^Licence: //;p}' "$dir/VERSION.txt")
        texts=$(ls "$dir" | grep -v -x -e VERSION.txt -e source | grep -c '\.txt$')
        [ "$texts" -gt 0 ] || { echo "$name: $folder holds no licence text"; faults=$((faults + 1)); }
        # The LGPL and the MPL ask for the source; what we build from source has it anyway.
        case "$licence" in
        *Lesser*|*Mozilla*)
            [ -d "$dir/source" ] || { echo "$name: $licence, but $folder has no source/"; faults=$((faults + 1)); } ;;
        esac
        [ -d "$dir/source" ] || continue
        dscs=$(ls "$dir"/source/*.dsc 2>/dev/null)
        [ -n "$dscs" ] || { echo "$name: $folder/source holds no .dsc"; faults=$((faults + 1)); }
        for dsc in $dscs; do
            sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$dsc" | while read -r sum _ file; do
                [ -f "$dir/source/$file" ] && [ "$(sha256sum <"$dir/source/$file" | cut -d' ' -f1)" = "$sum" ] ||
                    echo "$name: $folder/source/$file is missing or differs from $(basename "$dsc")"
            done
        done >"$work/source-faults"
        if [ -s "$work/source-faults" ]; then
            cat "$work/source-faults"
            faults=$((faults + 1))
        fi
    done <"$work/entries"
    [ "$faults" -eq 0 ]
}

# Our own licence beside the program, and both read-mes pointing to it and to THIRD-PARTY.txt.
our_licence_is_shipped_and_named() {
    faults=0
    grep -q "the Tonschleuder authors" "$top/LICENSE.txt" 2>/dev/null && grep -q "^MIT License" "$top/LICENSE.txt" ||
        { echo "LICENSE.txt with the MIT licence of the Tonschleuder authors is missing"; faults=1; }
    for readme in README.txt LIESMICH.txt; do
        for named in MIT LICENSE.txt THIRD-PARTY.txt; do
            grep -q -F "$named" "$top/$readme" 2>/dev/null || { echo "$readme does not name $named"; faults=1; }
        done
    done
    [ "$faults" -eq 0 ]
}

report_begin ReleaseZip "${1:-}"
report_case every_library_and_program_has_an_entry every_library_and_program_has_an_entry
report_case every_entry_has_a_complete_folder every_entry_has_a_complete_folder
report_case our_licence_is_shipped_and_named our_licence_is_shipped_and_named
report_end
