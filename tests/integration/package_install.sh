#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack from this build tree (the same
# configuration scripts/package uses, on programs already built: cpack first brings the tree up
# to date, so run it after the build, as scripts/test does), unpacked into a scratch root
# with dpkg -x, and run from there.
#
# usage: package_install.sh SOURCE_DIR BUILD_DIR VERSION
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

source_dir=$1
build_dir=$2
version=$3
app_id=org.example.Tessaline
programs=(tessaline tessaline-cli tessaline-virtual-instrument)

say() { printf '%s\n' "$*"; }
fail() {
    say "FAILED: $*"
    exit 1
}
skip() {
    say "SKIPPED: $*"
    exit 77
}

for tool in cpack dpkg dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/test installs it)"
done
for tool in desktop-file-validate appstreamcli lintian; do
    command -v "$tool" >/dev/null ||
        skip "the validator $tool is missing (packages desktop-file-utils, appstream, lintian)"
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessaline-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build_dir/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$scratch/out/tessaline_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$scratch/out"; fail "no $(basename "$deb")"; }
say "built $(basename "$deb")"

lintian --fail-on error "$deb" || fail "lintian found errors"

depends=$(dpkg-deb -f "$deb" Depends)
say "Depends: $depends"
grep -q "libc6" <<<"$depends" || fail "dpkg-shlibdeps found no library dependencies"

root=$scratch/root
dpkg -x "$deb" "$root" || fail "dpkg -x failed"

expected=()
for program in "${programs[@]}"; do
    expected+=("usr/bin/$program" "usr/share/man/man1/$program.1.gz")
done
expected+=("usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml"
    usr/share/doc/tessaline/copyright usr/share/doc/tessaline/changelog.gz)
for file in "${expected[@]}"; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done
# Each icon is drawn at its own size: a PNG of exactly that many pixels.
for size in 16 32 48 64 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [ -f "$icon" ] || fail "no ${size} px icon"
    file -b "$icon" | grep -q "PNG image data, $size x $size," ||
        fail "the ${size} px icon is $(file -b "$icon")"
done

# Nothing may point back into the tree it was built from: no RPATH, no debug paths.
if found=$(grep -rlF -e "$build_dir" -e "$source_dir" "$root"); then
    fail "build tree paths inside: $found"
fi

export TESSALINE_MIDI_API=none  # only the virtual instruments: real ports stay out of the way
for program in "${programs[@]}"; do
    out=$("$root/usr/bin/$program" --version) || fail "$program --version exited with $?"
    [ "$out" = "$program $version" ] || fail "$program --version printed \"$out\""
    help=$("$root/usr/bin/$program" --help) || fail "$program --help exited with $?"
    [ -n "$help" ] || fail "$program --help printed nothing"
done
say "every program answers --version and --help"

out=$(timeout 60 "$root/usr/bin/tessaline-cli" --device "Motif ES7" identify 2>&1)
status=$?
say "\$ tessaline-cli --device \"Motif ES7\" identify"
say "$out"
[ "$status" = 0 ] || fail "identify exited with $status"
grep -qxF "Motif ES7 connected" <<<"$out" || fail "no \"Motif ES7 connected\""

desktop-file-validate "$root/usr/share/applications/$app_id.desktop" ||
    fail "desktop-file-validate found faults"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "appstreamcli validate found faults"
say "PASSED"
