#!/usr/bin/env bash
# Runs tools/setup.sh on a machine it has already readied, with package
# tools on the PATH that fail and leave a mark. A ready machine must need none
# of them: set-up then runs without the package registry, and two builds
# started together never meet on the package lock.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
fakes=$(mktemp -d)
trap 'rm -rf "$fakes"' EXIT

for tool in apt-get apt-cache; do
    cat > "$fakes/$tool" <<FAKE
#!/bin/sh
echo "$tool \$*" >> "$fakes/called"
exit 100
FAKE
    chmod +x "$fakes/$tool"
done

status=0
PATH=$fakes:$PATH bash "$repo/tools/setup.sh" || status=$?
if [ -e "$fakes/called" ]; then
    echo "setup-again: tools/setup.sh called package tools on a ready machine:" >&2
    cat "$fakes/called" >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    echo "setup-again: tools/setup.sh failed on a ready machine (exit code $status)" >&2
    exit 1
fi
echo "setup-again: a second set-up called no package tool"
