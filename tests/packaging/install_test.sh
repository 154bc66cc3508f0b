#!/usr/bin/env bash
# Installs the build into a DESTDIR as the Debian package has it (prefix
# /usr) and checks what was installed: the programs in bin/ and the
# stand-ins under libexec/quillsift/ only; the installed command lists a G64
# image and a TAP tape through those stand-ins with nothing of the build on
# PATH, as the build's own command does; the desktop entry and the AppStream
# metainfo pass their validators; both man pages render; the icon is there
# in every size; the bash completion completes options and type lists and
# the zsh completion names every option --help lists.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build="$(realpath "$1")"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root="$stage/usr"
id=org.quillsift.Quillsift

for f in bin/quillsift bin/quillsift-cli libexec/quillsift/c1541 libexec/quillsift/tape64; do
    [ -x "$root/$f" ] || fail "$f is not installed"
done
for f in c1541 tape64; do
    [ ! -e "$root/bin/$f" ] || fail "$f is installed on PATH"
done

# The installed command finds its own listing programs, and nothing else.
clean_path=/usr/bin:/bin
for image in "$build"/samples/*/*.g64 "$build"/samples/*/*.tap; do
    [ -e "$image" ] || fail "no G64 or TAP file in the sample collection"
    installed="$(env -i PATH="$clean_path" HOME="$stage" "$root/bin/quillsift-cli" --list "$image")" ||
        fail "the installed quillsift-cli could not list $image"
    built="$("$build/bin/quillsift-cli" --list "$image")"
    [ "$installed" = "$built" ] || fail "the installed listing of $image differs"
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

# Each picture is a PNG of its size (the width and height of its header).
[ -f "$root/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "the scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -f "$png" ] || fail "the ${size}px icon"
    read -r -a b < <(od -An -tu1 -j16 -N8 "$png")
    width=$(((b[0] << 24) + (b[1] << 16) + (b[2] << 8) + b[3]))
    height=$(((b[4] << 24) + (b[5] << 16) + (b[6] << 8) + b[7]))
    [ "$width.$height" = "$size.$size" ] || fail "$png is ${width}x$height, not ${size}x$size"
done

# Bash: options, a type list after the items typed, folders.
completion="$root/share/bash-completion/completions/quillsift-cli"
complete_words() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
             _quillsift_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@"
}
[ "$(complete_words "$root/bin/quillsift-cli" --sea)" = "--search" ] || fail "bash: --sea"
[ "$(complete_words "$root/bin/quillsift-cli" -t "D64,T6")" = "D64,T64" ] || fail "bash: -t D64,T6"
[ "$(complete_words "$root/bin/quillsift-cli" --sid au)" = "author" ] || fail "bash: --sid au"
complete_words "$root/bin/quillsift-cli" -c "" | grep -qx Others || fail "bash: -c"
# Zsh: sound, and every long option of --help in its list.
zsh_completion="$root/share/zsh/vendor-completions/_quillsift-cli"
if command -v zsh >/dev/null; then
    zsh -n "$zsh_completion" || fail "zsh: syntax"
fi
for option in $("$root/bin/quillsift-cli" --help | grep -oE -- '--[a-z][-a-z]*' | sort -u); do
    grep -q -- "$option" "$zsh_completion" || fail "zsh: $option missing"
done
echo "installed and checked in $stage"
