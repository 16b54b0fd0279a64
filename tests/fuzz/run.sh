#!/usr/bin/env bash
# Replays the regression inputs, then fuzzes each target for a while.
# Usage: run.sh BUILD_DIR SECONDS_PER_TARGET [TARGET...]
#   FUZZ_CORPUS_DIR  keep the grown corpora here (default: a temporary folder)
#   FUZZ_MAX_RUNS    stop a target after this many executions (default 10000000)
# Findings go to BUILD_DIR/fuzz-findings/<target>/, libFuzzer's output to
# BUILD_DIR/fuzz-logs/<target>.log; the exit status is 1 when a regression
# input fails or a target found something.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=$2
shift 2
targets=("$@")
((${#targets[@]})) || targets=(payload_stream payload_archive options_file command_line)
max_runs=${FUZZ_MAX_RUNS:-10000000}

scratch=$(mktemp -d)
# The stand-in's file tree lives under TMPDIR: in memory it costs a fraction.
files=$(mktemp -d -p "$( [[ -w /dev/shm ]] && echo /dev/shm || echo "${TMPDIR:-/tmp}")")
trap 'rm -rf "$scratch" "$files"' EXIT
corpora=${FUZZ_CORPUS_DIR:-$scratch/corpus}
# A small quarantine: every input frees a few large zlib and window blocks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}

dictionary_of() {
  case $1 in
    payload_*) echo "$here/dict/payload.dict" ;;
    *) echo "$here/dict/$1.dict" ;;
  esac
}

# The last "key: value" of libFuzzer's status lines in a log, or "?".
last_field() { grep -oE "$2: [0-9]+" "$1" | tail -1 | awk '{print $2}' || true; }

total_runs=0
failed=()
for target in "${targets[@]}"; do
  binary=$build/tests/fuzz/fuzz_$target
  findings=$build/fuzz-findings/$target
  mkdir -p "$findings" "$corpora/$target" "$build/fuzz-logs"
  log=$build/fuzz-logs/$target.log

  regressions=("$here/regressions/$target"/*)
  if [[ -e ${regressions[0]} ]]; then
    if ! TMPDIR=$files "$binary" -runs=1 "${regressions[@]}" >"$log" 2>&1; then
      echo "fuzz $target: a regression input fails again:"
      tail -n 30 "$log"
      failed+=("$target")
      continue
    fi
  fi

  status=0
  TMPDIR=$files "$binary" -max_total_time="$seconds" -runs="$max_runs" -timeout=20 -rss_limit_mb=3072 -max_len=65536 \
    -dict="$(dictionary_of "$target")" -artifact_prefix="$findings/" -print_final_stats=1 \
    "$corpora/$target" "$here/corpus/$target" >"$log" 2>&1 || status=$?
  runs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | awk '{print $2}' || true)
  runs=${runs:-0}
  total_runs=$((total_runs + runs))
  summary="$runs runs, cov $(last_field "$log" cov), ft $(last_field "$log" ft)"
  if ((status != 0)); then
    echo "fuzz $target: FINDING after $summary; input kept in $findings"
    grep -E '^\*\*\* broken|ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error' "$log" | head -5
    failed+=("$target")
  else
    echo "fuzz $target: $summary, no findings"
  fi
done

if ((${#failed[@]})); then
  echo "Fuzz: ${#targets[@]} targets, $total_runs runs, findings in: ${failed[*]}"
  exit 1
fi
echo "Fuzz: ${#targets[@]} targets, ${seconds} s each, $total_runs runs, no findings"
