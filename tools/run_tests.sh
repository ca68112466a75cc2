#!/usr/bin/env bash
# Builds and runs every test: the whole suite in a normal build and again in
# an AddressSanitizer + UBSan build, then a bounded fuzzing run of the image
# loader. Ends with one summary line; exits non-zero if anything failed.
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
root="${GROUP_G_TEST_ROOT:-$here}"
fuzz_seconds="${GROUP_G_FUZZ_SECONDS:-60}"

"$here/tools/install_deps.sh" || exit 1

passed=0
failed=0
status=0

# run_suite NAME BUILD_DIR CMAKE_ARGS...
run_suite() {
  local name=$1 dir=$2; shift 2
  echo "=== $name build"
  if ! cmake -S "$here" -B "$dir" "$@" >"$dir.configure.log" 2>&1 ||
     ! cmake --build "$dir" -j2 >"$dir.build.log" 2>&1; then
    tail -n 40 "$dir.configure.log" "$dir.build.log" 2>/dev/null
    echo "$name: build failed"
    failed=$((failed + 1)); status=1
    return
  fi
  echo "=== $name tests"
  local log="$dir.ctest.log"
  ctest --test-dir "$dir" -j2 --output-on-failure --timeout 600 2>&1 | tee "$log"
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1)); status=1
    return
  fi
  local f t
  f=$(sed -E 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + t - f)); failed=$((failed + f))
  [ "$f" -eq 0 ] || status=1
}

mkdir -p "$root"
run_suite normal "$root/build-tests" -DCMAKE_BUILD_TYPE=RelWithDebInfo

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_suite sanitized "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DGROUP_G_SANITIZE=ON -DGROUP_G_BENCH=OFF

if [ -x "$here/tests/fuzz/run_fuzz.sh" ]; then
  echo "=== fuzzing the image loader for ${fuzz_seconds}s"
  if "$here/tests/fuzz/run_fuzz.sh" "$root/build-fuzz" "$fuzz_seconds"; then
    passed=$((passed + 1))
  else
    echo "fuzzing found a failure"
    failed=$((failed + 1)); status=1
  fi
fi

echo "total: $passed passed, $failed failed"
exit $status
