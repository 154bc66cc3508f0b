#!/usr/bin/env bash
# Installs what is missing, builds, and searches the bundled sample collection
# (or the FOLDER given). With a display the window opens; without one the
# command-line program prints the report.
# Usage: ./scripts/run.sh [FOLDER]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

qs_install_packages
qs_build "$QS_ROOT/build" >/dev/null

folder="${1:-$QS_ROOT/build/samples}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$QS_ROOT/build/bin/quillsift" ]; then
    exec "$QS_ROOT/build/bin/quillsift" "$folder"
fi
status=0
# Every kind of file, every named entry type and every SID field.
"$QS_ROOT/build/bin/quillsift-cli" -r -t D64,T64,D81,G64,PC64,D71,TAP,CRT,SID \
    -c PRG,SEQ,USR,REL,CBM --sid name,author,copyright "$folder" || status=$?
# 1 only says that nothing matched.
[ "$status" -le 1 ] || exit "$status"
