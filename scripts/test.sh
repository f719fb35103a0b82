#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite through CTest.
#
#   scripts/test.sh [-- CTEST-ARGS]          the normal build (g++) and every test
#   scripts/test.sh --sanitize [-- ...]      the sanitizer leg: every test built with clang under
#                                            AddressSanitizer and UBSan, the serial and platform
#                                            tests under ThreadSanitizer, and a short run of every
#                                            fuzz target on its seed corpus
#   scripts/test.sh --all [-- ...]           both legs, warnings as errors (what CI runs)
#
# Build folders: build/ (normal), build-asan/, build-tsan/ (or under $RQ27M_BUILD_DIR's parent).
# RQ27M_FUZZ_SECONDS sets the length of each fuzz smoke run (default 15).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

leg=normal
werror=OFF
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) leg=sanitize ;;
    --all) leg=all; werror=ON ;;
    --werror) werror=ON ;;
    --) shift; break ;;
    *) echo "usage: scripts/test.sh [--sanitize|--all] [--werror] [-- CTEST-ARGS]" >&2; exit 2 ;;
  esac
  shift
done
ctest_args=("$@")
jobs="$(nproc 2>/dev/null || echo 2)"
BASE_DIR="$(dirname "$BUILD_DIR")"

normal_leg() {
  echo "== normal leg: g++, every test =="
  build_project -DRQ_WERROR="$werror"
  (cd "$BUILD_DIR" && ctest --output-on-failure -j "$jobs" "${ctest_args[@]}")
}

sanitize_leg() {
  install_packages "${SANITIZER_PACKAGES[@]}"
  local asan="$BASE_DIR/build-asan" tsan="$BASE_DIR/build-tsan"
  local clang=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DRQ_WERROR="$werror" -DRQ_BUILD_BENCHMARKS=OFF)

  echo "== sanitizer leg: clang, AddressSanitizer + UBSan, every test and the fuzz targets =="
  build_project_in "$asan" "${clang[@]}" -DRQ_SANITIZE=address -DRQ_FUZZ=ON
  # Leaks are reported by the fuzz runs below; in the test suite the toolkit's own caches would
  # drown them.
  (cd "$asan" && ASAN_OPTIONS="detect_leaks=0:abort_on_error=1" \
      UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
      ctest --output-on-failure -j "$jobs" "${ctest_args[@]}")

  echo "== fuzz smoke run =="
  "$ROOT/fuzz/make_corpus.sh" "$asan" >/dev/null
  local secs="${RQ27M_FUZZ_SECONDS:-15}" f name
  for f in "$asan"/bin/fuzz-*; do
    name="$(basename "$f")"; name="${name#fuzz-}"
    echo "-- $name (${secs}s)"
    mkdir -p "$asan/corpus/$name"
    "$f" "$asan/corpus/$name" -max_total_time="$secs" -print_final_stats=1 2>"$asan/fuzz-$name.log" \
      || { tail -n 60 "$asan/fuzz-$name.log"; echo "fuzz target $name failed" >&2; return 1; }
    grep -E '^stat::number_of_executed_units' "$asan/fuzz-$name.log" || true
  done

  echo "== sanitizer leg: ThreadSanitizer, serial and platform tests =="
  build_project_in "$tsan" "${clang[@]}" -DRQ_SANITIZE=thread --target tests/platform/all tests/serial/all tools/rq27m-sim/all
  # serial_simulator starts the simulator through the toolkit's process class, whose fork the
  # thread sanitizer's runtime of clang 14 cannot follow (it aborts in its fork handler); the
  # simulator's own threads are covered by the serial tests that drive pseudo-terminals directly.
  (cd "$tsan" && TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" \
      ctest --output-on-failure -j "$jobs" -R '^(platform|serial)_' -E '^serial_simulator$' "${ctest_args[@]}")
}

install_packages
case "$leg" in
  normal) normal_leg ;;
  sanitize) sanitize_leg ;;
  all) normal_leg; sanitize_leg ;;
esac
