#!/usr/bin/env bash
# Writes the opening scene's data into the "Data" folder of a build tree:
#   demo-data.sh <build tree>
# The writer is built and run in the 64-bit tree, which runs under Wine on
# every machine here; the files it writes are the same for either tree.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
tree=$(cd "$1" && pwd)
writer_tree=$repo/build/x64

bash "$repo/tools/build.sh" x86_64 demo_data
bash "$repo/tools/wine-prefix.sh" "$writer_tree"
cd "$tree"
"$repo/tools/wine-run.sh" "$writer_tree" "$writer_tree/demo/demo_data.exe" .
# The writer's Wine server outlives it by a few seconds, and programs started
# meanwhile join it with the writer's display (none): wait until it has gone.
source "$repo/tools/wine-env.sh" "$writer_tree"
wineserver -w
