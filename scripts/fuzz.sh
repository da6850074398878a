#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/, clang with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each of them.
#   bash scripts/fuzz.sh --seconds 5       every target 5 seconds (the default)
#   bash scripts/fuzz.sh --long            every target 10,000,000 runs or 30 minutes
#   bash scripts/fuzz.sh --seconds 60 regfile intfile     only those targets
#   --build-dir DIR                        build and work there instead of build-fuzz/
# The saved crash inputs in fuzz/regressions/ are replayed first; fuzz/kelvarin.dict
# gives the fuzzer the tokens the readers react to. Runs work on
# a copy of the seed corpus (build-fuzz/corpus/), never on fuzz/corpus/.
# Executions, time and coverage of each run go to build-fuzz/fuzz-report.txt.
# Exits non-zero on any crash, leak, time-out (10 s per input) or failed check.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

seconds=5
long=0
build="$root/build-fuzz"
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --long) long=1; shift ;;
    --build-dir) build="$2"; shift 2 ;;
    -h|--help) sed -n "2,12p" "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then
  for dir in "$root"/fuzz/corpus/*/; do
    targets+=("$(basename "$dir")")
  done
fi

"$root/scripts/install-deps.sh" clang libclang-rt-14-dev
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVARIN_FUZZ=ON >/dev/null
cmake --build "$build" --target kelvarin_fuzz -j"$(nproc)"

# The targets' scratch files live here (memory-backed when /dev/shm is there).
scratch_parent=/dev/shm
[ -d "$scratch_parent" ] && [ -w "$scratch_parent" ] || scratch_parent=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$scratch_parent/kelvarin-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export KELVARIN_FUZZ_SCRATCH="$scratch"
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

if [ $long -eq 1 ]; then
  budget=(-runs=10000000 -max_total_time=1800)
else
  budget=(-max_total_time="$seconds")
fi
report="$build/fuzz-report.txt"
logs="$build/fuzz-logs"
mkdir -p "$logs" "$build/artifacts"
{
  echo "Kelvarin fuzz run, $(date -u '+%Y-%m-%d %H:%M:%S UTC'), ${budget[*]}"
  printf '%-16s %-8s %12s %8s %8s %8s\n' target result executions seconds cov ft
} >"$report"

# Targets that also start from another target's seeds, as they read the same
# kind of input (the stand-in's checker reads the sources the scanner reads).
declare -A shared_seeds=([sourcechecker]=scanner)

failed=()
for target in "${targets[@]}"; do
  binary="$build/fuzz/fuzz_$target"
  if [ ! -x "$binary" ]; then
    echo "fuzz.sh: no target fuzz_$target" >&2
    exit 2
  fi
  # Saved crash inputs must stay fixed.
  shopt -s nullglob
  regressions=("$root"/fuzz/regressions/"$target"-*)
  shopt -u nullglob
  if [ ${#regressions[@]} -gt 0 ]; then
    if ! "$binary" -timeout=10 "${regressions[@]}" >"$logs/$target-regressions.log" 2>&1; then
      echo "fuzz_$target: a saved crash input fails (see $logs/$target-regressions.log)" >&2
      printf '%-16s %-8s\n' "$target" "FAILED (a saved input in fuzz/regressions)" | tee -a "$report"
      failed+=("$target")
      continue
    fi
  fi

  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  for seeds in "$target" ${shared_seeds[$target]:-}; do
    cp -n "$root/fuzz/corpus/$seeds"/* "$corpus"/ 2>/dev/null || true
  done
  echo "== fuzz_$target (${budget[*]})"
  started=$(date +%s)
  status=0
  "$binary" "${budget[@]}" -dict="$root/fuzz/kelvarin.dict" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" "$corpus" >"$logs/$target.log" 2>&1 || status=$?
  elapsed=$(( $(date +%s) - started ))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/$target.log" | tail -n 1)
  last=$(grep -E 'cov: [0-9]+' "$logs/$target.log" | tail -n 1 || true)
  cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  if [ $status -eq 0 ]; then
    result=ok
  else
    result=FAILED
    failed+=("$target")
    grep -E '^(==[0-9]+==ERROR|fuzz check failed|SUMMARY|artifact_prefix|Test unit written)' "$logs/$target.log" >&2 || true
    echo "fuzz_$target failed (exit $status); the whole log is $logs/$target.log" >&2
  fi
  printf '%-16s %-8s %12s %8s %8s %8s\n' "$target" "$result" "${executions:-?}" "$elapsed" "${cov:-?}" "${ft:-?}" \
    | tee -a "$report"
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: failed: ${failed[*]} (report: $report)" >&2
  exit 1
fi
echo "fuzz.sh: every target ran clean (report: $report)"
