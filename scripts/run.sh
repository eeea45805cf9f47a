#!/usr/bin/env bash
# Installs what is missing, builds vyx and runs it; arguments are passed to vyx.
set -euo pipefail
cd "$(dirname "$0")/.."
"./scripts/build.sh" >&2
exec ./build/src/cli/vyx "$@"
