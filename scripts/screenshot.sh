#!/usr/bin/env bash
# Takes the README's pictures of the main window, the directory window and the
# problems list: a virtual X display (Xvfb), a home folder with a collection
# in ~/C64 (a copy of the sample collection and two disks cut short), a
# search with the subfolders, then pictures of the window, of the directory
# of the first result block and of the problems list.
# Usage: ./scripts/screenshot.sh [MAIN.png [DIRECTORY.png [PROBLEMS.png]]]
#        (default: docs/main-window.png docs/directory-window.png docs/problems-list.png)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

qs_install_packages
qs_build "$QS_ROOT/build" >/dev/null

out="$(realpath -m "${1:-$QS_ROOT/docs/main-window.png}")"
dir_out="$(realpath -m "${2:-$QS_ROOT/docs/directory-window.png}")"
problems_out="$(realpath -m "${3:-$QS_ROOT/docs/problems-list.png}")"
mkdir -p "$(dirname "$out")" "$(dirname "$dir_out")" "$(dirname "$problems_out")"
export QS_ROOT out dir_out problems_out
# A home folder of its own, so that the pictures show the usual places of a
# user's collection and results file, and nothing of this machine: an empty
# /home in a private mount namespace where that is allowed, else a temporary
# folder.
shoot='
    set -e
    home="$1"
    mkdir -p "$home"
    cp -r "$QS_ROOT/build/samples" "$home/C64"
    mkdir -p "$home/C64/Damaged"
    head -c 91000 "$home/C64/Games/Blast Collection.d64" >"$home/C64/Damaged/blast copy.d64"
    head -c 40000 "$home/C64/Games/Blast Collection.d64" >"$home/C64/Damaged/blaster 2.d64"
    HOME="$home" XDG_DATA_HOME="" XDG_CONFIG_HOME="" xvfb-run -a -s "-screen 0 1280x800x24" \
        env QT_QPA_PLATFORM=xcb "$QS_ROOT/build/bin/quillsift-screenshot" \
        "$out" "$home/C64" BLAST "$dir_out" "$problems_out"'
if ! unshare --mount --map-root-user sh -c \
    "mount -t tmpfs none /home && bash -c '$shoot' shoot /home/collector" 2>/dev/null; then
    home="$(mktemp -d /tmp/quillsift-home.XXXXXX)"
    trap 'rm -rf "$home"' EXIT
    bash -c "$shoot" shoot "$home/collector"
fi
echo "Wrote $out, $dir_out and $problems_out"
