#!/usr/bin/env bash
# Installs everything the build, the tests and the benchmarks need. Idempotent: packages already present
# are left alone, so a second run costs one dpkg query.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    # the compiler cache that CI's builds share
    ccache
    clang clang-14 lld libclang-rt-14-dev clang-format
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
    libplist-dev libicu-dev libssl-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    xvfb xauth fonts-dejavu-core fonts-inter fonts-material-design-icons-iconfont
    # xwd, xwdtopnm and pnmtopng: the capture command that the run command prints under a virtual display
    x11-apps netpbm
    attr gdu jdupes fdupes
    # the shell scripts' check in CI
    shellcheck
    # dbus-daemon: the private session bus of the notification test
    dbus
    # Qt's own texts (file dialog, text field menus, standard buttons) in French
    qt6-translations-l10n
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        sudo=sudo
    else
        sudo=
    fi
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
    echo "setup: every package is present"
fi
