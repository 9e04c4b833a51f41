#!/usr/bin/env bash
# Installs what is missing, builds Vantiro and renders the built-in demo clip into out/.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
vantiro_install_deps
vantiro_build build -DCMAKE_BUILD_TYPE=Release
build/bin/vantiro demo --out out
