#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: in a plain build, then in a
# build with AddressSanitizer and UndefinedBehaviorSanitizer. Fails on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh

export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

run_suite() {
  local dir="$1"
  shift
  echo "== build: $dir"
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  echo "== tests: $dir"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run_suite build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_suite build/sanitize -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON \
  -DQUORVEL_BUILD_BENCHMARKS=OFF
