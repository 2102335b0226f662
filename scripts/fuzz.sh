#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) into build-fuzz/ (or $VLS_FUZZ_BUILD_DIR), writes the seed
# corpora from our own writers, and runs every target for the given number
# of seconds (default 300), a few at a time.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Corpora grow in <build>/fuzz-corpus/<target>; findings land in
# <build>/fuzz-findings/<target>/ with each run's output beside them.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
[[ $# -gt 0 ]] && shift
build=${VLS_FUZZ_BUILD_DIR:-build-fuzz}
jobs=${VLS_FUZZ_JOBS:-$(( $(nproc) > 1 ? $(nproc) / 2 : 1 ))}

scripts/install-deps.sh
command -v clang++ >/dev/null || { echo "fuzz.sh needs clang (apt-get install clang libclang-rt-14-dev)" >&2; exit 1; }
CC=clang CXX=clang++ VLS_BUILD_DIR="$build" VLS_CMAKE_ARGS="-DVLS_FUZZ=ON -DVLS_BENCH=OFF ${VLS_CMAKE_ARGS:-}" \
  scripts/configure.sh --target help >/dev/null
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  mapfile -t targets < <(sed -n 's/^vls_fuzz_target(\([a-z0-9_]*\).*/\1/p' fuzz/CMakeLists.txt)
fi
cmake --build "$build" -j "$(nproc)" --target fuzz_seed_corpus "${targets[@]/#/fuzz_}"

root=$(cd "$build" && pwd)
"$root/bin/fuzz_seed_corpus" "$root/fuzz-seeds" >/dev/null

run_one() {
  local target=$1
  local corpus="$root/fuzz-corpus/$target" findings="$root/fuzz-findings/$target"
  mkdir -p "$corpus" "$findings" "$root/fuzz-seeds/$target"
  # Targets work in folders of their own, so every path given is absolute.
  if (cd "$findings" && "$root/bin/fuzz_$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=4096 \
        -artifact_prefix="$findings/" "$corpus" "$root/fuzz-seeds/$target" >"$findings/run.log" 2>&1); then
    echo "clean  $target ($(grep -o 'cov: [0-9]*' "$findings/run.log" | tail -1))"
  else
    echo "FAILED $target: see $findings/run.log"
    return 1
  fi
}
export -f run_one
export root seconds
echo "Running ${#targets[@]} targets for ${seconds} s each, $jobs at a time."
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}'
