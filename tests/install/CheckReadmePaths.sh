#!/usr/bin/env bash
# Every path into the build folder that README.md names (`build/...`) exists in BUILD-DIR, so that a new
# user who follows it finds the programs where it says.
#   CheckReadmePaths.sh README BUILD-DIR
set -euo pipefail

readme=$1
build=$2
paths=$(grep -o '`build/[^` ]*' "$readme" | cut -c2- | LC_ALL=C sort -u)
if [ -z "$paths" ]; then
    echo "FAIL: $readme names no path in build/" >&2
    exit 1
fi
missing=0
for path in $paths; do
    if [ ! -e "$build/${path#build/}" ]; then
        echo "FAIL: $readme names $path, which the build does not have" >&2
        missing=$((missing + 1))
    fi
done
[ "$missing" -eq 0 ] || exit 1
echo "README paths present: $(echo $paths)"
