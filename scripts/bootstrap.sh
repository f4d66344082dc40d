#!/usr/bin/env bash
# Installs what building, running and testing the editor needs on Debian 12 (apt-get).
# Quick when everything is already there: only missing packages are fetched.
set -euo pipefail

packages=(
  g++ cmake make                     # compiler and build
  qt6-base-dev                       # Qt 6 Widgets, Qt Test, platform plugins
  libpugixml-dev                     # reading and writing XML definition files
  libgtest-dev libbenchmark-dev      # tests and benchmarks
  fonts-liberation2 fontconfig       # the sans font the windows are laid out for
  xvfb xauth x11-apps                # a virtual display for screenshots and runs without one
  locales                            # a decimal-comma locale for the locale-independence test
  desktop-file-utils appstream       # validating the desktop entry and the AppStream metainfo
  dpkg-dev file                      # building the Debian package (dpkg-shlibdeps)
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# The number texts must not depend on the user's locale; the tests check under German.
if ! locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$'; then
  as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1 || true
fi
