#!/usr/bin/env bash
# Installs what is missing, builds vyx and runs the whole test suite.
# --sanitize builds and runs it under AddressSanitizer and UBSan instead.
set -euo pipefail
cd "$(dirname "$0")/.."
"./scripts/build.sh" "$@"
dir=build
[ "${1:-}" = "--sanitize" ] && dir=build-asan
export TZ=Europe/Paris
skip=()
# The crash tests run the program hundreds of times under a library that
# counts its writes; sanitized, they check nothing more and take minutes.
[ "${1:-}" = "--sanitize" ] && skip=(-E 'Kill')
# The test programs' own code is built without the sanitizers, so the leak
# checker does not find their suppressions inside them: fontconfig keeps its
# cache of fonts until the program ends.
[ "${1:-}" = "--sanitize" ] && export LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" "${skip[@]}"
