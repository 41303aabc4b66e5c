#!/usr/bin/env bash
# Installs what is needed, builds the native and the Win64 builds, and renders every output
# slot of a default Zenithra map over the built-in sky into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh native
bash scripts/build.sh win64
build/native/bin/zenithra --out out "$@"
