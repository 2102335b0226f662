#!/usr/bin/env bash
# ./run.sh and ./run.sh launcher against stand-in scripts and programs: both
# start their program with one settings folder, and a first build says it
# takes long.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree="$scratch/tree"
mkdir -p "$scratch/bin" "$tree/scripts"
cp "$source_dir/run.sh" "$tree/"
printf '#!/usr/bin/env bash\nexit 0\n' > "$tree/scripts/install-deps.sh"
# The build makes the programs; each says where its settings are.
cat > "$tree/scripts/configure.sh" <<'STUB'
#!/usr/bin/env bash
mkdir -p "$VLS_BUILD_DIR/bin" "$VLS_BUILD_DIR/demo"
for p in vls vlslaunch; do
  printf '#!/usr/bin/env bash\necho "%s config=$VEILSTRAND_CONFIG"\n' "$p" > "$VLS_BUILD_DIR/bin/$p"
  chmod +x "$VLS_BUILD_DIR/bin/$p"
done
STUB
printf '#!/usr/bin/env bash\nexit 0\n' > "$scratch/bin/cmake"
chmod +x "$tree/run.sh" "$tree/scripts/"*.sh "$scratch/bin/cmake"
export PATH="$scratch/bin:$PATH" VLS_BUILD_DIR=out DISPLAY=:99
unset VEILSTRAND_CONFIG

failures=0
check() {
  if [[ "$2" != *"$3"* ]]; then
    echo "FAIL: $1: expected '$3' in: $2"
    failures=$((failures + 1))
  fi
}
first=$("$tree/run.sh")
check "first run" "$first" "First run: building"
check "engine" "$first" "vls config=$tree/out/demo/config"
launcher=$("$tree/run.sh" launcher)
check "launcher" "$launcher" "vlslaunch config=$tree/out/demo/config"
if [[ "$launcher" == *"First run"* ]]; then
  echo "FAIL: a later run says it is the first"
  failures=$((failures + 1))
fi
own=$(VEILSTRAND_CONFIG=/elsewhere "$tree/run.sh")
check "a settings folder of the user's" "$own" "vls config=/elsewhere"
exit $((failures > 0))
