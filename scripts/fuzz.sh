#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds
# (default 60) on a copy of its seed corpus. Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

scripts/bootstrap.sh
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  echo "fuzz: installing clang and its fuzzer runtime"
  if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    clang libclang-rt-dev >/dev/null 2>&1 ||
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      clang libclang-rt-14-dev >/dev/null
fi

targets=(number_text_fuzz float_text_fuzz ecu_read_fuzz ecu_roundtrip_fuzz table_entry_fuzz
  file_layer_fuzz xdf_read_fuzz xdf_roundtrip_fuzz rom_xml_read_fuzz)
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQUORVEL_FUZZ=ON -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for target in "${targets[@]}"; do
  corpus="build/fuzz/corpus/${target%_fuzz}"
  mkdir -p "$corpus" build/fuzz/findings
  cp -n fuzz/corpus/"${target%_fuzz}"/* "$corpus"/ 2>/dev/null || true
  echo "== fuzz: $target for ${seconds}s"
  if ! build/fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix=build/fuzz/findings/"$target"- -print_final_stats=1 "$corpus" \
      2>build/fuzz/"$target".log; then
    echo "fuzz: $target found a failure:"
    tail -n 40 build/fuzz/"$target".log
    status=1
  else
    grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec' build/fuzz/"$target".log || true
  fi
done
exit "$status"
