#!/usr/bin/env bash
# Builds everything twice (release, and with AddressSanitizer + UndefinedBehaviorSanitizer) and
# runs the whole test suite on both builds.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then scripts/bootstrap.sh; else sudo scripts/bootstrap.sh; fi
for preset in default asan; do
  echo "== $preset: configure and build"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  echo "== $preset: test"
  ctest --preset "$preset"
done
