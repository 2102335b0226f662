#!/usr/bin/env bash
# scripts/configure.sh against a stand-in cmake that records its calls: the
# options given in VLS_CMAKE_ARGS reach an existing build folder too.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/bin" "$scratch/tree/scripts"
cp "$source_dir/scripts/configure.sh" "$scratch/tree/scripts/"
cat > "$scratch/bin/cmake" <<'STUB'
#!/usr/bin/env bash
if [[ "$1" == "--build" ]]; then exit 0; fi
echo "$*" >> "$CALLS"
mkdir -p "$VLS_BUILD_DIR" && touch "$VLS_BUILD_DIR/build.ninja"
STUB
chmod +x "$scratch/bin/cmake"
export PATH="$scratch/bin:$PATH" CALLS="$scratch/calls" VLS_BUILD_DIR="$scratch/tree/out"
unset VLS_CMAKE_ARGS CC CXX

failures=0
# run <expected call or "none"> [VAR=value ...]
expect() {
  local expected=$1
  shift
  rm -f "$CALLS"
  env "$@" "$scratch/tree/scripts/configure.sh" > /dev/null
  local got
  got=$(cat "$CALLS" 2>/dev/null || echo none)
  if [[ "$got" != "$expected" ]]; then
    echo "FAIL: with ${*:-no options} expected '$expected', got '$got'"
    failures=$((failures + 1))
  fi
}

out="$scratch/tree/out"
expect "-S . -B $out -G Ninja"
expect "none"
expect "-S . -B $out -G Ninja -DVLS_SANITIZE=ON --fresh" VLS_CMAKE_ARGS=-DVLS_SANITIZE=ON
expect "none" VLS_CMAKE_ARGS=-DVLS_SANITIZE=ON
# Not given: the folder keeps what it has.
expect "none"
expect "-S . -B $out -G Ninja -DVLS_SANITIZE=ON -DVLS_BENCH=OFF --fresh" "VLS_CMAKE_ARGS=-DVLS_SANITIZE=ON -DVLS_BENCH=OFF"
expect "-S . -B $out -G Ninja -DVLS_SANITIZE=ON -DVLS_BENCH=OFF --fresh" "VLS_CMAKE_ARGS=-DVLS_SANITIZE=ON -DVLS_BENCH=OFF" CC=clang CXX=clang++
expect "-S . -B $out -G Ninja --fresh" VLS_CMAKE_ARGS=
exit $((failures > 0))
