#!/bin/sh
# The two commands of a fresh Debian or Ubuntu machine, which may have no
# make, compiler or CMake yet: installs what is missing, then runs make.
#   ./make.sh run    build the demo and run it
#   ./make.sh test   build and run the whole test suite
set -eu
cd "$(dirname "$0")"

case "${1:-}" in
    run|test) ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

scripts/install-deps.sh "$1"
exec make "$1"
