#!/usr/bin/env bash
# Builds and runs every test: the whole suite in a normal build (with the
# Windows build cross-compiled beside it and tested under Wine) and again in
# an AddressSanitizer + UBSan build (with the soak), then a bounded fuzzing
# run of the image loader and a build of everything with clang. Ends with
# one summary line; exits non-zero if anything failed. Pass or fail is
# ctest's own exit status; the counts in the summary come from its JUnit
# report.
#
# --quick: the contributor's loop instead. Builds a normal build without
# the benchmarks and the Windows build (build-quick/) and runs the unit
# tests and the end-to-end journeys on X11 only, four at a time even on
# two cores (a journey spends much of its time waiting for its display);
# no Wine, no Wayland compositors, no package, no sanitizers, no fuzzing,
# and not the two slowest cases (the largest pictures scaled, twenty
# session ends).
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
root="${GROUP_G_TEST_ROOT:-$here}"
fuzz_seconds="${GROUP_G_FUZZ_SECONDS:-60}"

if [ "${1:-}" = "--quick" ]; then
  "$here/tools/install_deps.sh" --tests --check >/dev/null || "$here/tools/install_deps.sh" --tests || exit 1
  mkdir -p "$root"
  cmake -S "$here" -B "$root/build-quick" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGROUP_G_BENCH=OFF \
        >"$root/build-quick.configure.log" &&
    cmake --build "$root/build-quick" -j2 >"$root/build-quick.build.log" || {
      tail -n 40 "$root/build-quick.configure.log" "$root/build-quick.build.log"; exit 1; }
  exec ctest --test-dir "$root/build-quick" -j4 --output-on-failure --timeout 600 \
       -LE 'wine|package|soak' -E 'Mutter|Weston|LargestPictures|SessionEndingNeverLeaves'
fi

# The installer only runs when something is missing (it may need sudo).
"$here/tools/install_deps.sh" --tests --check >/dev/null || "$here/tools/install_deps.sh" --tests || exit 1

passed=0
failed=0
status=0

# count NAME JUNIT_FILE: the number in the first NAME="N" of the report.
count() {
  grep -o -m 1 "[[:space:]]$1=\"[0-9]*\"" "$2" 2>/dev/null | head -n 1 | tr -dc '0-9'
}

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
  local junit="$dir.junit.xml"
  rm -f "$junit"
  if ! ctest --test-dir "$dir" -j2 --output-on-failure --timeout 600 --output-junit "$junit"; then
    status=1
  fi
  local tests failures
  tests=$(count tests "$junit")
  failures=$(count failures "$junit")
  if [ -z "$tests" ] || [ -z "$failures" ]; then
    echo "$name: ctest wrote no report"
    failed=$((failed + 1)); status=1
    return
  fi
  passed=$((passed + tests - failures)); failed=$((failed + failures))
}

mkdir -p "$root"
run_suite normal "$root/build-tests" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGROUP_G_WINE_TESTS=ON

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

# Every target again with clang, whose warnings differ from gcc's; built,
# not run (both suites above already ran the same code).
echo "=== clang build"
clang_dir="$root/build-clang"
if CC=clang CXX=clang++ cmake -S "$here" -B "$clang_dir" -DCMAKE_BUILD_TYPE=Release \
     -DGROUP_G_WERROR=ON >"$clang_dir.configure.log" 2>&1 &&
   cmake --build "$clang_dir" -j2 >"$clang_dir.build.log" 2>&1; then
  passed=$((passed + 1))
else
  tail -n 40 "$clang_dir.configure.log" "$clang_dir.build.log" 2>/dev/null
  echo "clang build failed"
  failed=$((failed + 1)); status=1
fi

echo "total: $passed passed, $failed failed"
exit $status
