#!/usr/bin/env bash
# Builds everything and runs every test under Wine, on a virtual display when
# there is no real one. Exits non-zero when any test fails.
#
# The tests run in the 32-bit build. A machine whose kernel cannot execute
# 32-bit user code cannot start 32-bit Wine at all; there the 32-bit tree
# builds only what ships (the two programs and the demo-data tool, warnings
# as errors), and the tests run in the 64-bit build of the same sources.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
shipped_targets=(Hollowmere _Hollowmere demo_data)

if timeout 20 /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    bash "$repo/tools/build.sh" i686
    tree=$repo/build
else
    echo "test.sh: this machine cannot execute 32-bit programs; building what ships 32-bit, testing the 64-bit build"
    bash "$repo/tools/build.sh" i686 "${shipped_targets[@]}"
    bash "$repo/tools/build.sh" x86_64
    tree=$repo/build/x64
fi
bash "$repo/tools/wine-prefix.sh" "$tree"
bash "$repo/tools/demo-data.sh" "$tree"

run_tests=(ctest --test-dir "$tree" --output-on-failure --no-tests=error -j "$(nproc)")
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "${run_tests[@]}"
fi
exec "${run_tests[@]}"
