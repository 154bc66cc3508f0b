#!/usr/bin/env bash
# Installs the build into a DESTDIR as the Debian package has it (prefix /usr)
# and checks it: what lands where; the installed command lists G64 and TAP
# files through its own stand-ins, nothing of the build on PATH; the
# validators of the desktop entry and the metainfo; man -l on both pages; the
# icon's sizes; and the shell completions.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build="$(realpath "$1")"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2 && exit 1; }

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root="$stage/usr"
id=org.quillsift.Quillsift

for f in bin/quillsift bin/quillsift-cli libexec/quillsift/c1541 libexec/quillsift/tape64; do
    [ -x "$root/$f" ] || fail "$f is not installed"
done
[ ! -e "$root/bin/c1541" ] && [ ! -e "$root/bin/tape64" ] || fail "a stand-in is on PATH"

# The installed command finds its own listing programs, and nothing else.
for image in "$build"/samples/*/*.g64 "$build"/samples/*/*.tap; do
    [ -e "$image" ] || fail "no G64 or TAP file in the sample collection"
    installed="$(env -i PATH=/usr/bin:/bin HOME="$stage" "$root/bin/quillsift-cli" --list "$image")"
    [ "$installed" = "$("$build/bin/quillsift-cli" --list "$image")" ] || fail "listing $image"
done
"$root/bin/quillsift" --version | grep -q "^Quillsift " || fail "quillsift --version"

desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"

for program in quillsift quillsift-cli; do
    page="$(MANWIDTH=80 man -l "$root/share/man/man1/$program.1.gz" 2>&1)" ||
        fail "man -l $program.1.gz"
    grep -q "^NAME" <<<"$page" && grep -q "^ *$program - " <<<"$page" &&
        grep -q -- "--version" <<<"$page" || fail "the man page of $program: $page"
done

# Each picture is a PNG of its size (its header's width and height, big-endian).
[ -f "$root/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "the scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ "$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] ||
        fail "the ${size}px icon"
done

# Bash: options, a type list after the items typed, folders.
completion="$root/share/bash-completion/completions/quillsift-cli"
complete_words() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
             _quillsift_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@"
}
cli="$root/bin/quillsift-cli"
[ "$(complete_words "$cli" --sea)" = "--search" ] || fail "bash: --sea"
[ "$(complete_words "$cli" -t "D64,T6")" = "D64,T64" ] || fail "bash: -t D64,T6"
[ "$(complete_words "$cli" --sid au)" = "author" ] || fail "bash: --sid au"
complete_words "$cli" -c "" | grep -qx Others || fail "bash: -c"
# Zsh: sound, and every long option of --help in its list.
zsh_completion="$root/share/zsh/vendor-completions/_quillsift-cli"
zsh -n "$zsh_completion" || fail "zsh: syntax"
for option in $("$root/bin/quillsift-cli" --help | grep -oE -- '--[a-z][-a-z]*' | sort -u); do
    grep -q -- "$option" "$zsh_completion" || fail "zsh: $option missing"
done
echo "installed and checked in $stage"
