#!/bin/sh
# Installs the Debian packages Tessik needs that are not installed yet.
#   scripts/install-deps.sh run    what building and running the demo needs
#   scripts/install-deps.sh test   that, plus what the test suite needs
#   scripts/install-deps.sh arm64  what the 64-bit ARM cross build and its
#                                  tests under qemu need (the arm64
#                                  architecture is added to dpkg if missing)
set -eu

run_packages="cmake make g++ pkg-config libsdl2-dev libpng-dev"
test_packages="$run_packages googletest libgtest-dev libbenchmark-dev python3 \
xvfb xauth xdotool x11-utils imagemagick libx11-dev \
openbox wmctrl sway grim xwayland"
# The native frame tool is built too, to compare its frames with ARM's.
arm64_packages="$run_packages g++-aarch64-linux-gnu qemu-user libgtest-dev:arm64 libpng-dev:arm64"

case "${1:-run}" in
    run) wanted=$run_packages ;;
    test) wanted=$test_packages ;;
    arm64) wanted=$arm64_packages ;;
    *) echo "usage: $0 run|test|arm64" >&2; exit 2 ;;
esac

missing=""
for package in $wanted; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "tessik: these packages are missing and there is no sudo to install them:$missing" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
case "$missing" in
    *:arm64*)
        if ! dpkg --print-foreign-architectures | grep -qx arm64; then
            echo "tessik: adding the arm64 architecture to dpkg"
            $as_root dpkg --add-architecture arm64
        fi ;;
esac
echo "tessik: installing$missing"
# Standard input stays unread: it may hold the keys meant for the demo.
$as_root apt-get update -qq </dev/null
# shellcheck disable=SC2086
$as_root apt-get install -y -qq --no-install-recommends $missing </dev/null
