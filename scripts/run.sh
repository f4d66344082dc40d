#!/usr/bin/env bash
# Installs what is missing, builds the editor (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MSG'
run.sh: no display found, so the editor's windows cannot be shown.
Start it from a desktop session, or give it a virtual display, for example:
    xvfb-run -a -s "-screen 0 1280x1024x24" scripts/run.sh
MSG
  exit 1
fi

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release \
  -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/release --target quorvel -j "$(nproc)"
exec build/release/src/quorvel
