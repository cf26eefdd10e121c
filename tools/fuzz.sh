#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs every one of them
# (or those named) for a while, a few at a time, one worker each; undefined
# behaviour and memory errors stop a target and save its input.
#   tools/fuzz.sh                    every target, 180 s each, 3 at a time
#   SECONDS_EACH=600 PARALLEL=2 tools/fuzz.sh text_fuzzer ini_fuzzer
#   JOBS=N                           build with N jobs (default 3)
# Corpora grow in build-fuzz/corpus/<target>/; inputs that fail are saved in
# build-fuzz/findings/<target>/ (emptied when the target runs again) and listed at the end with the executions of
# every target. The targets write their scratch files under a temporary
# folder of this run (and Qt its runtime files beside it), which is removed at
# its end. Exits non-zero when a
# target found something.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"
each=${SECONDS_EACH:-180}
parallel=${PARALLEL:-3}
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSUITE_FUZZ=ON -DSUITE_BENCH=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-3}" --target fuzz/all
if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -executable -printf '%f\n' | sort)
fi
run=$(mktemp -d "${TMPDIR:-/tmp}/suite-fuzz-run.XXXXXX")
trap 'rm -rf "$run"' EXIT
mkdir -m 700 "$run/runtime"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Targets over Qt want a runtime folder; without one Qt makes it in TMPDIR.
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$run/runtime"

fuzz_one() {
  local target=$1 corpus="$build/corpus/$1" findings="$build/findings/$1" log="$run/$1.log"
  rm -rf "$findings"
  mkdir -p "$corpus" "$findings" "$run/$1.tmp"
  local seeds=()
  [ -d "$top/fuzz/seeds/$target" ] && seeds+=("$top/fuzz/seeds/$target")
  TMPDIR="$run/$1.tmp" "$build/fuzz/$target" -max_total_time="$each" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" >"$log" 2>&1 || true
  cp "$log" "$build/findings/$target.log"
}

running=0
for target in "${targets[@]}"; do
  fuzz_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

found=0
printf '%-32s %12s %s\n' target executions findings
for target in "${targets[@]}"; do
  log="$build/findings/$target.log"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ -z "$execs" ]; then
    execs=$(grep -o '#[0-9]*' "$log" | tail -1 | tr -d '#')
  fi
  fails=$(grep -lE 'ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:' "$log" >/dev/null && echo 1 || echo 0)
  saved=$(find "$build/findings/$target" -type f | wc -l)
  printf '%-32s %12s %s\n' "$target" "${execs:-?}" "$saved saved$([ "$fails" = 1 ] && echo ', failed: see findings/'"$target"'.log')"
  [ "$fails" = 0 ] && [ "$saved" = 0 ] || found=1
  leftovers=$(find "$run/$target.tmp" -mindepth 1 -maxdepth 1 | wc -l)
  [ "$leftovers" = 0 ] || echo "  $target left $leftovers entries in its temporary folder"
done
exit "$found"
