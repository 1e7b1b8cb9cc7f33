#!/usr/bin/env bash
# Runs a Windows program of a build tree under Wine: wine-run.sh <build tree> <program> [arguments...]
# No Mono or Gecko prompts, no crash dialog (tools/wine-prefix.sh sets that
# once), and ALSA's null device for DirectSound.
source "$(dirname "$0")/wine-env.sh" "$1"
shift
exec "$hm_wine" "$@"
