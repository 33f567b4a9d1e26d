#!/usr/bin/env bash
# Builds the Debian package, checks the menu entry and AppStream data, has
# Debian's package checker (lintian) pass it, installs the package on this
# machine, starts the installed program, and checks that it removes whole.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build window package

desktop-file-validate packaging/*.desktop
appstreamcli validate --no-net packaging/*.metainfo.xml

cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DNUMERLO_TESTS=OFF -DNUMERLO_BENCH=OFF
cmake --build build-pkg --parallel "$(nproc)"

# cmake --install into a throw-away prefix lays out the same files.
expected=(
  bin/numerlo
  bin/numerlo-page
  share/man/man1/numerlo.1.gz
  share/man/man1/numerlo-page.1.gz
  share/doc/numerlo/copyright
  share/doc/numerlo/changelog.gz
  share/applications/com.example.numerlo.desktop
  share/metainfo/com.example.numerlo.metainfo.xml
  share/icons/hicolor/scalable/apps/com.example.numerlo.svg
)
for size in 16 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/com.example.numerlo.png")
done
prefix=$(mktemp -d)
cmake --install build-pkg --prefix "$prefix" >/dev/null
for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || { echo "cmake --install did not install $f" >&2; exit 1; }
done
rm -rf "$prefix"

(cd build-pkg && rm -f numerlo_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build-pkg/numerlo_*_amd64.deb)
echo "Built $deb"
dpkg-deb -f "$deb" Depends

# Debian's own checks: any error or warning fails; the info-level notes
# are shown too.
lintian --info --fail-on error,warning "$deb"

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./$deb"
listed=$(dpkg -L numerlo)
for f in "${expected[@]}"; do
  grep -qx "/usr/$f" <<<"$listed" || { echo "dpkg -L numerlo lacks /usr/$f" >&2; exit 1; }
done

# The installed program starts offscreen and quits cleanly when asked to.
QT_QPA_PLATFORM=offscreen /usr/bin/numerlo &
pid=$!
sleep 3
kill -0 "$pid" || { echo "numerlo did not stay up" >&2; exit 1; }
kill -TERM "$pid"
wait "$pid"

# The installed numerlo-page makes a page from a small CSV history with no
# display at all.
work=$(mktemp -d)
{
  printf '開催回,日付,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,BONUS数字\r\n'
  for n in $(seq 1 12); do printf '%d,2000/10/5,%d,14,15,16,17,18,19\r\n' "$n" "$n"; done
} >"$work/draws.csv"
env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/numerlo-page --csv "$work/draws.csv" -o "$work/page.html"
grep -q '<b>012</b>' "$work/page.html" || { echo "numerlo-page made no page" >&2; exit 1; }
rm -rf "$work"

# And natively on Wayland, with the plugin the package recommends.
dpkg-deb -f "$deb" Recommends | grep -q qt6-wayland || { echo "qt6-wayland not recommended" >&2; exit 1; }
scripts/wayland-check.sh /usr/bin/numerlo

# Removed as the README says, with nothing left behind; then installed
# again.
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q numerlo
for f in "${expected[@]}"; do
  [ ! -e "/usr/$f" ] || { echo "apt-get remove numerlo left /usr/$f" >&2; exit 1; }
done
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./$deb"
echo "package check: lintian clean; installed, listed, started on X and Wayland, quit cleanly; numerlo-page made a page; removed and installed again"
