#!/usr/bin/env bash
# Builds Kelvarin and runs every test.
#   bash scripts/test.sh             the normal build, in build/
#   bash scripts/test.sh --sanitize  the whole suite built with AddressSanitizer
#                                    (leak detection included) and
#                                    UndefinedBehaviorSanitizer, in build-sanitize/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export QT_QPA_PLATFORM=offscreen
if [ "${1:-}" = "--sanitize" ]; then
  "$root/scripts/install-deps.sh"
  cmake -S "$root" -B "$root/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARIN_SANITIZE=ON
  cmake --build "$root/build-sanitize" -j"$(nproc)"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir "$root/build-sanitize" --output-on-failure -j"$(nproc)"
  exit 0
fi
"$root/scripts/build.sh"
ctest --test-dir "$root/build" --output-on-failure -j"$(nproc)"
