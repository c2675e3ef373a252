#!/bin/sh
# tools/debian-source with a source package of our own making (dpkg-source -b), pinned in a
# pin file of the test's: what it unpacks from a cache, and what it says and keeps when a file
# differs from the pin or the .dsc, when a package has no pin, or when the pinned version
# cannot be had. apt-get is a stand-in: it records that it was called, and fails or hands over
# the files the case gives it.
#
# Usage: tests/release/debian_source_test.sh TOOL [REPORT.xml]
set -u
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/report.sh"
export LC_ALL=C.UTF-8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The package tsfake 1.0-1: upstream's greeting.txt says "hello"; Debian's one patch makes it
# "hello, Debian".
package="$work/package"
mkdir -p "$package/tsfake-1.0/debian/source" "$package/tsfake-1.0/debian/patches"
echo hello >"$package/tsfake-1.0/greeting.txt"
(cd "$package" && tar -czf tsfake_1.0.orig.tar.gz tsfake-1.0)
cd "$package/tsfake-1.0/debian" || exit 1
echo "3.0 (quilt)" >source/format
cat >control <<'END'
Source: tsfake
Maintainer: Test <test@example.invalid>

Package: tsfake
Architecture: all
Description: a source package for the test
END
cat >changelog <<'END'
tsfake (1.0-1) unstable; urgency=medium

  * For the test.

 -- Test <test@example.invalid>  Mon, 07 Dec 2026 12:00:00 +0000
END
cat >patches/greeting.patch <<'END'
--- a/greeting.txt
+++ b/greeting.txt
@@ -1 +1 @@
-hello
+hello, Debian
END
echo greeting.patch >patches/series
cd "$package" || exit 1
if ! dpkg-source -b tsfake-1.0 >"$work/build.log" 2>&1; then
    cat "$work/build.log"
    echo "dpkg-source could not build the test's package"
    exit 1
fi
rm -rf tsfake-1.0
files="tsfake_1.0-1.dsc tsfake_1.0.orig.tar.gz tsfake_1.0-1.debian.tar.xz"
echo "tsfake 1.0-1 $(sha256sum <tsfake_1.0-1.dsc | cut -d' ' -f1)" >"$work/pins"
export DEBIAN_SOURCE_PINS="$work/pins"

# The stand-in apt-get: "update" succeeds; "source" copies the files in $STAND_IN_FILES, or,
# without them, answers as apt does for a version its lists lack.
mkdir -p "$work/bin"
cat >"$work/bin/apt-get" <<'END'
#!/bin/sh
echo "$*" >>"$STAND_IN_CALLS"
case " $* " in
*" update "*) exit 0 ;;
esac
if [ -n "${STAND_IN_FILES:-}" ]; then
    cp "$STAND_IN_FILES"/* .
    exit 0
fi
echo "E: Can not find version '1.0-1' of package 'tsfake'"
exit 100
END
chmod +x "$work/bin/apt-get"
export PATH="$work/bin:$PATH"

# A fresh case folder: cache/ (holding the package's files when $1 is "cached"), and out/.
case_dir=""
begin() {
    case_dir=$(mktemp -d "$work/case.XXXXXX")
    mkdir -p "$case_dir/cache"
    export STAND_IN_CALLS="$case_dir/apt-calls" STAND_IN_FILES=""
    if [ "${1:-}" = cached ]; then
        for file in $files; do
            cp "$package/$file" "$case_dir/cache/"
        done
    fi
}

# Runs the tool; its exit status in $status, what it printed in $out and $err.
run() {
    "$tool" "$@" >"$case_dir/stdout" 2>"$case_dir/stderr"
    status=$?
    out=$(cat "$case_dir/stdout")
    err=$(cat "$case_dir/stderr")
}

expect_failure_saying() {
    if [ "$status" -eq 0 ]; then
        echo "the tool succeeded; expected it to fail"
        return 1
    fi
    for words in "$@"; do
        case "$err" in
        *"$words"*) ;;
        *)
            echo "its message lacks \"$words\":"
            echo "$err"
            return 1
            ;;
        esac
    done
}

cached_package_is_unpacked_with_debians_series_and_nothing_fetched() {
    begin cached
    run tsfake "$case_dir/cache" "$case_dir/out" debian-patches
    [ "$status" -eq 0 ] || { echo "failed: $err"; return 1; }
    [ "$(cat "$case_dir/out/greeting.txt")" = "hello, Debian" ] ||
        { echo "greeting.txt: $(cat "$case_dir/out/greeting.txt")"; return 1; }
    [ "$out" = "$case_dir/cache/tsfake_1.0.orig.tar.gz" ] || { echo "printed: $out"; return 1; }
    [ ! -e "$case_dir/apt-calls" ] || { echo "apt-get was called: $(cat "$case_dir/apt-calls")"; return 1; }
}

without_debian_patches_the_source_is_upstreams() {
    begin cached
    run tsfake "$case_dir/cache" "$case_dir/out"
    [ "$status" -eq 0 ] || { echo "failed: $err"; return 1; }
    [ "$(cat "$case_dir/out/greeting.txt")" = hello ] ||
        { echo "greeting.txt: $(cat "$case_dir/out/greeting.txt")"; return 1; }
}

a_dsc_that_differs_from_the_pin_is_refused() {
    begin cached
    echo " " >>"$case_dir/cache/tsfake_1.0-1.dsc"
    run tsfake "$case_dir/cache" "$case_dir/out" debian-patches
    expect_failure_saying "tsfake 1.0-1" "tsfake_1.0-1.dsc has SHA-256" "pins" || return 1
    [ ! -e "$case_dir/out" ] || { echo "it unpacked the source all the same"; return 1; }
}

a_changed_file_that_the_dsc_lists_is_refused() {
    for name in tsfake_1.0.orig.tar.gz tsfake_1.0-1.debian.tar.xz; do
        begin cached
        printf 'changed' >>"$case_dir/cache/$name"
        run tsfake "$case_dir/cache" "$case_dir/out" debian-patches
        expect_failure_saying "tsfake 1.0-1" "$name has SHA-256" "tsfake_1.0-1.dsc lists" || return 1
        [ ! -e "$case_dir/out" ] || { echo "$name: it unpacked the source all the same"; return 1; }
    done
}

a_package_without_a_pin_is_refused() {
    begin cached
    run lame "$case_dir/cache" "$case_dir/out"
    expect_failure_saying "lame has no pinned version in $work/pins" || return 1
    [ ! -e "$case_dir/apt-calls" ] || { echo "apt-get was called: $(cat "$case_dir/apt-calls")"; return 1; }
}

a_pinned_version_that_cannot_be_had_is_named() {
    begin
    run tsfake "$case_dir/cache" "$case_dir/out"
    expect_failure_saying "tsfake 1.0-1, pinned in $work/pins, cannot be had" \
        "Can not find version '1.0-1'" || return 1
    grep -q "source --download-only tsfake=1.0-1" "$case_dir/apt-calls" ||
        { echo "apt-get was not asked for exactly the pinned version: $(cat "$case_dir/apt-calls")"; return 1; }
}

a_fetched_file_that_differs_is_not_kept() {
    begin
    mkdir "$case_dir/offered"
    for file in $files; do
        cp "$package/$file" "$case_dir/offered/"
    done
    printf 'changed' >>"$case_dir/offered/tsfake_1.0.orig.tar.gz"
    STAND_IN_FILES="$case_dir/offered"
    run tsfake "$case_dir/cache" "$case_dir/out"
    expect_failure_saying "tsfake 1.0-1" "tsfake_1.0.orig.tar.gz has SHA-256" "nothing was kept" || return 1
    kept=$(cd "$case_dir/cache" && ls -d tsfake_* fetch.* 2>/dev/null)
    [ -z "$kept" ] || { echo "left in the cache: $kept"; return 1; }
}

report_begin DebianSource "${2:-}"
for case in cached_package_is_unpacked_with_debians_series_and_nothing_fetched \
    without_debian_patches_the_source_is_upstreams \
    a_dsc_that_differs_from_the_pin_is_refused \
    a_changed_file_that_the_dsc_lists_is_refused \
    a_package_without_a_pin_is_refused \
    a_pinned_version_that_cannot_be_had_is_named \
    a_fetched_file_that_differs_is_not_kept; do
    report_case "$case" "$case"
done
report_end
