#!/bin/sh
# run_fuzz.sh BUILD_DIR SECONDS: builds the loader's fuzz target with clang in
# BUILD_DIR, writes the seed corpus and fuzzes for SECONDS. Non-zero on a
# crash, leak or undefined behaviour; the input is left in BUILD_DIR/fuzz/artifacts/.
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR SECONDS" >&2
    exit 2
fi
build=$1
seconds=$2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGROUP_G_FUZZ=ON -DGROUP_G_BENCH=OFF
elif ! grep -q '^GROUP_G_FUZZ:BOOL=ON' "$build/CMakeCache.txt"; then
    echo "$build is not a fuzzing build: give a new folder" >&2
    exit 2
fi
cmake --build "$build" -j2 --target bmp_fuzzer bmp_seed_corpus

work="$build/fuzz"
rm -rf "$work/seeds"
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
"$build/tests/bmp_seed_corpus" "$work/seeds"

# New inputs go to corpus/ (kept between runs); seeds/ is read only.
exec "$build/tests/bmp_fuzzer" "$work/corpus" "$work/seeds" \
    -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1
