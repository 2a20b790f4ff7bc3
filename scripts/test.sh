#!/usr/bin/env bash
# Installs what is needed, builds and runs every test: the warnings-as-errors build, the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets for a bounded time, and the
# formatting check.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

jobs=$(nproc)

echo "== dev: build and test"
cmake --preset dev
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

echo "== format"
cmake --build --preset dev --target format-check
FUZZ_SECONDS=${FUZZ_SECONDS:-60} ./scripts/fuzz.sh
