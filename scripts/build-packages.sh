#!/usr/bin/env bash
# Builds the Debian packages from debian/ and puts the .deb files into build/packages/
# (or the folder given as $1). The source is copied to build/packages/src first, because
# dpkg-buildpackage writes its results beside the source folder.
# A compiler launcher in CMAKE_CXX_COMPILER_LAUNCHER (e.g. ccache) is used when set.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(realpath -m "${1:-build/packages}")
src="$out/src/tavrix"

rm -rf "$out"
mkdir -p "$src"
tar --exclude=./build --exclude=./.git --exclude='./obj-*' -cf - . | tar -xf - -C "$src"

cd "$src"
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-parallel=$(nproc)}"
dpkg-buildpackage -b -us -uc >"$out/build.log" 2>&1 || {
    tail -40 "$out/build.log" >&2
    echo "package build failed; the whole log is $out/build.log" >&2
    exit 1
}
cd "$out/src"
mv ./*.deb ./*.buildinfo ./*.changes "$out/"
rm -rf "$out/src"
ls "$out"/*.deb
