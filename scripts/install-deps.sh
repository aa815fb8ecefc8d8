#!/bin/sh
# Installs the Debian packages Tessik needs that are not installed yet.
#   scripts/install-deps.sh run    what building and running the demo needs
#   scripts/install-deps.sh test   that, plus what the test suite needs
set -eu

run_packages="cmake make g++ pkg-config libsdl2-dev libpng-dev"
test_packages="$run_packages googletest libgtest-dev libbenchmark-dev python3 \
xvfb xauth xdotool x11-utils imagemagick libx11-dev \
openbox wmctrl sway grim xwayland"

case "${1:-run}" in
    run) wanted=$run_packages ;;
    test) wanted=$test_packages ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
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

echo "tessik: installing$missing"
export DEBIAN_FRONTEND=noninteractive
# Standard input stays unread: it may hold the keys meant for the demo.
$as_root apt-get update -qq </dev/null
# shellcheck disable=SC2086
$as_root apt-get install -y -qq --no-install-recommends $missing </dev/null
