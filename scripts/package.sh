#!/usr/bin/env bash
# Builds the Debian package of the editor (Release) into build/package/ and lists its contents.
# Install it with: sudo apt-get install ./build/package/quorvel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release \
  -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/release --target quorvel -j "$(nproc)"
mkdir -p build/package
cpack -G DEB -B build/package --config build/release/CPackConfig.cmake
rm -rf build/package/_CPack_Packages

deb=$(ls build/package/quorvel_*.deb)
dpkg-deb -I "$deb"
dpkg -c "$deb"
echo "$deb"
