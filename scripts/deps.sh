#!/usr/bin/env bash
# Installs the Debian packages a task needs, and only those still missing.
# Usage: scripts/deps.sh GROUP...
# Groups: build window test browser fuzz lint package look orca
set -euo pipefail

packages=()
for group in "$@"; do
  case "$group" in
    build)  packages+=(g++ cmake ninja-build pkg-config) ;;
    window) packages+=(qt6-base-dev fonts-horai-umefont qt6-translations-l10n) ;;
    test)   packages+=(libgtest-dev libbenchmark-dev qt6-base-private-dev xvfb xauth openbox x11-utils) ;;
    fuzz)   packages+=(clang libclang-rt-dev) ;;
    look)   packages+=(xvfb xauth imagemagick xdotool) ;;
    lint)   packages+=(clang-format clang-tidy) ;;
    browser)
      packages+=(chromium)
      # A Node.js that did not come from Debian is used as it is.
      command -v node >/dev/null || packages+=(nodejs)
      command -v npm >/dev/null || packages+=(npm)
      ;;
    package) packages+=(dpkg-dev desktop-file-utils appstream weston qt6-wayland lintian) ;;
    orca)   packages+=(orca at-spi2-core python3-pyatspi xvfb xauth openbox x11-utils xdotool dbus-bin
                       imagemagick) ;;
    *) echo "deps.sh: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
