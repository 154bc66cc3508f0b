#!/usr/bin/env bash
# Builds an optimised Quillsift into build-package/ and makes its Debian
# package there with CPack; prints the package's path.
# Usage: ./scripts/package.sh
#        sudo apt-get install ./build-package/quillsift_*.deb
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

qs_install_packages
qs_build "$QS_ROOT/build-package" -DCMAKE_BUILD_TYPE=Release -DQUILLSIFT_TESTS=OFF >/dev/null
(cd "$QS_ROOT/build-package" && cpack -G DEB >/dev/null)
ls "$QS_ROOT"/build-package/quillsift_*.deb
