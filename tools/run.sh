#!/usr/bin/env bash
# Builds the program and starts its launcher under Wine.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/tools/build.sh" i686
