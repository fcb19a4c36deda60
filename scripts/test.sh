#!/usr/bin/env bash
# Installs what is missing, builds and runs every test:
#   1. the normal build (warnings are errors in every build here), whole suite, and a plain
#      Release build of the programs;
#   2. the whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the threaded engine tests under ThreadSanitizer;
#   4. every libFuzzer target for a bounded time (clang build);
#   5. the Debian packages, installed and used as a new user would (scripts/test-packages.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
status=0

configure_and_build() {  # folder, target, extra cmake args...
    local dir=$1 target=$2; shift 2
    cmake -S . -B "$dir" -G Ninja -Wno-dev -DTAVRIX_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs" --target "$target"
}

run_ctest() {  # folder, extra ctest args...
    local dir=$1; shift
    echo "=== ctest in $dir $*"
    ctest --test-dir "$dir" --output-on-failure --no-tests=error "$@" || status=1
}

configure_and_build build/release all -DCMAKE_BUILD_TYPE=RelWithDebInfo
# A plain Release build, as a packager or user makes it first: -O3 warns where -O2 does not.
# The programs and the libraries they use; the suite itself runs in the builds above and below.
configure_and_build build/release-plain LonvarStdConsole -DCMAKE_BUILD_TYPE=Release
cmake --build build/release-plain -j "$jobs" --target LonvarStd TavFxHook Vantro gaugebench
configure_and_build build/asan all -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_SANITIZE=address,undefined \
    -DTAVRIX_BENCHMARKS=OFF
configure_and_build build/tsan threaded_tests -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_SANITIZE=thread \
    -DTAVRIX_BENCHMARKS=OFF
CC=clang CXX=clang++ configure_and_build build/fuzz fuzzers -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_FUZZ=ON \
    -DTAVRIX_BENCHMARKS=OFF

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

run_ctest build/asan -LE fuzz
run_ctest build/tsan -L threaded --no-tests=ignore
run_ctest build/fuzz -L fuzz --no-tests=ignore
# The Debian packages: built, checked, installed, used by a fresh user and purged.
bash scripts/test-packages.sh || status=1
# The normal build last, so its summary closes the run.
run_ctest build/release -LE fuzz
exit $status
