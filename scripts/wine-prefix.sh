#!/usr/bin/env bash
# Creates the build tree's private Wine prefix once and reuses it afterwards.
# Usage: wine-prefix.sh <prefix>
set -euo pipefail
prefix=$(realpath -m "$1")
if [ -f "$prefix/.vantrel-ready" ]; then
    exit 0
fi
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "wine: creating private prefix $prefix"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -f "$prefix/system.reg" ] || { echo "wine: prefix creation failed" >&2; exit 1; }
touch "$prefix/.vantrel-ready"
