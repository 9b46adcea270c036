#!/usr/bin/env bash
# Sets up and builds everything, runs a short bounded fuzzing run of the report parser and the
# upgrade reply handling under AddressSanitizer and UBSan, then the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh

clangxx=$(command -v clang++ || command -v clang++-14)
CC=${clangxx%++*} CXX=$clangxx cmake -S . -B build-fuzz -DFUZZ_ONLY=ON -DENABLE_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"
ctest --test-dir build-fuzz --output-on-failure

scripts/build.sh
ctest --test-dir build --output-on-failure -j2
