#!/usr/bin/env bash
# Installs the release build into a staging folder and packs it with "cpack -G DEB"; checks the
# install tree and the package's contents file by file, the menu entry and the icons, and that
# the package depends on the package of every shared library the executable and the LV2 plugin
# link. Then installs the package with apt, starts the installed program with --rapor (as root
# and as a user who cannot write its folder), renders a bundled melody with it, has lv2info find
# the installed plugin, and removes the package again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=build/release
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
cmake --preset release >/dev/null
cmake --build --preset release --target zembera desktop_icons zembera_lv2_bundle >/dev/null

work=$(mktemp -d)
installed=0
cleanup() {
  [ "$installed" = 1 ] && $SUDO apt-get remove -y -qq zembera >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "package-check: $*" >&2
  exit 1
}

# What the install holds, file by file.
expected="$work/expected.txt"
# The pitch systems and the 26 samples, in the program's folder and in the LV2 bundle alike.
systems_and_samples() {
  for f in tools/tunings/*.scl tools/tunings/perde-names.tsv; do echo "$1/sistemler/$(basename "$f")"; done
  for f in "$build"/program/wavs/[0-9][0-9]_[0-9][0-9][0-9][0-9][0-9][0-9]_*.wav; do
    echo "$1/wavs/$(basename "$f")"
  done
}
{
  echo usr/bin/zembera
  for f in Dizek.txt logo.png glyphs.png glyphs-2x.png; do echo "usr/share/zembera/$f"; done
  for f in data/*.mkm data/*.ses; do echo "usr/share/zembera/$(basename "$f")"; done
  systems_and_samples usr/share/zembera
  for f in zembera.so manifest.ttl zembera.ttl Dizek.txt; do echo "usr/lib/lv2/zembera.lv2/$f"; done
  systems_and_samples usr/lib/lv2/zembera.lv2
  echo usr/share/applications/zembera.desktop
  echo usr/share/mime/packages/zembera.xml
  for size in 48 128 256; do echo "usr/share/icons/hicolor/${size}x${size}/apps/zembera.png"; done
} | LC_ALL=C sort >"$expected"
[ "$(grep -c '/wavs/' "$expected")" -eq 52 ] || fail "the build holds no 26 samples"

# The install tree.
stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort) >"$work/tree.txt"
diff -u "$expected" "$work/tree.txt" || fail "the install tree differs from the expected files"
desktop-file-validate "$stage/usr/share/applications/zembera.desktop" ||
  fail "the menu entry is not valid"
for key in 'Name=' 'Name\[tr\]=' 'Comment=' 'Comment\[tr\]=' 'Exec=zembera %F$' 'Icon=zembera$' \
  'MimeType=.*text/x-scala-scale;'; do
  grep -q "^$key" "$stage/usr/share/applications/zembera.desktop" || fail "menu entry: no $key"
done
grep -q '^Categories=.*Audio;.*Music;' "$stage/usr/share/applications/zembera.desktop" ||
  fail "menu entry: not in Audio and Music"
for size in 48 128 256; do
  got=$(identify -format '%m %wx%h' "$stage/usr/share/icons/hicolor/${size}x${size}/apps/zembera.png")
  [ "$got" = "PNG ${size}x${size}" ] || fail "icon of $size px is $got"
done
echo "package-check: install tree of $(wc -l <"$expected") files as expected"

# The package.
(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.txt" 2>&1) ||
  fail "cpack failed: $(cat "$work/cpack.txt")"
deb=$(ls "$work"/deb/zembera_*.deb)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {sub(/^\.\//, "", $6); print $6}' | LC_ALL=C sort \
  >"$work/deb.txt"
diff -u "$expected" "$work/deb.txt" || fail "the package's files differ from the expected ones"
depends=$(dpkg-deb -f "$deb" Depends)
echo "package-check: $(basename "$deb") depends on: $depends"
# The package names alone, one a line.
echo "$depends" | tr ',' '\n' | awk '{print $1}' >"$work/depends.txt"
for binary in usr/bin/zembera usr/lib/lv2/zembera.lv2/zembera.so; do
  for lib in $(readelf -d "$stage/$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(ldd "$stage/$binary" | awk -v l="$lib" '$1 == l {print $3}')
    [ -n "$path" ] || fail "$lib is not found"
    pkg=$(dpkg -S "$(realpath "$path")" 2>/dev/null || dpkg -S "$path") || fail "no package holds $path"
    pkg=${pkg%%:*}
    grep -qxF "$pkg" "$work/depends.txt" || fail "$lib ($pkg) is not among the dependencies"
  done
done
grep -qxF qt6-qpa-plugins "$work/depends.txt" || fail "the X display plugin is not a dependency"

# Installed with apt and started.
if dpkg -s zembera >/dev/null 2>&1; then
  $SUDO apt-get remove -y -qq zembera >/dev/null 2>&1
fi
cp "$deb" "$work/zembera.deb"
chmod a+r "$work/zembera.deb"
chmod a+rx "$work"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -qq "$work/zembera.deb" >"$work/apt.txt" 2>&1 ||
  fail "apt-get install failed: $(cat "$work/apt.txt")"
installed=1
[ -x /usr/bin/zembera ] || fail "/usr/bin/zembera is missing after installing"
# The desktop's MIME database knows the file types the menu entry opens (the triggers of
# shared-mime-info ran).
[ -e /usr/share/mime/text/x-scala-scale.xml ] || fail "text/x-scala-scale is not in the MIME database"
report="$work/rapor.txt"
(cd / && env -u DISPLAY /usr/bin/zembera --rapor >"$report" 2>&1) ||
  fail "zembera --rapor failed: $(cat "$report")"
head -n 1 "$report" | grep -qx 'ZEMBERA: program klasörü /usr/share/zembera' ||
  fail "the installed program reads another folder: $(head -n 1 "$report")"
strings=$(grep -Ec ' [1-9][0-9]* bayt$' "$report" || true)
[ "$strings" -eq 26 ] || fail "$strings of 26 strings have a sound: $(cat "$report")"
# A user who cannot write the program folder is told where the user's files go.
if command -v runuser >/dev/null && [ "$(id -u)" -eq 0 ]; then
  (cd / && runuser -u nobody -- env -u DISPLAY HOME=/nonexistent /usr/bin/zembera --rapor \
    >"$report" 2>&1) || fail "zembera --rapor as nobody failed: $(cat "$report")"
  grep -q '^Program klasörü yazılamıyor; kullanıcı dosyaları: /nonexistent/.local/share/ZEMBERA$' \
    "$report" || fail "no user folder in the report of nobody: $(cat "$report")"
fi
/usr/bin/zembera --render /usr/share/zembera/korobeiniki.ses "$work/korobeiniki.wav" >/dev/null ||
  fail "zembera --render of a bundled melody failed"
[ "$(stat -c %s "$work/korobeiniki.wav")" -gt 100000 ] || fail "the rendered melody is too short"
echo "package-check: the installed program reports 26 strings and renders a bundled melody"
# The LV2 hosts find the installed plugin where they look by default.
if command -v lv2info >/dev/null; then
  info=$(cd / && env -u LV2_PATH lv2info urn:zembera:kanun 2>&1 || true)
  grep -q 'Bundle: *file:///usr/lib/lv2/zembera.lv2/' <<<"$info" ||
    fail "lv2info does not find the installed plugin: $info"
  echo "package-check: lv2info finds urn:zembera:kanun in /usr/lib/lv2"
fi

$SUDO apt-get remove -y -qq zembera >"$work/apt.txt" 2>&1 ||
  fail "apt-get remove failed: $(cat "$work/apt.txt")"
installed=0
[ ! -e /usr/bin/zembera ] && [ ! -e /usr/share/zembera ] || fail "files left after removing"
echo "package-check: installed, started and removed"
