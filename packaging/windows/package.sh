#!/usr/bin/env bash
# package.sh BUILD: from a Windows build folder, installs the program into BUILD/stage and makes the
# portable zip and the installer beside it: BUILD/varnock-VERSION-windows-x64.zip and
# BUILD/varnock-VERSION-setup.exe. Called by "./varnock.sh winbuild".
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
stage=$build/stage
rm -rf "$stage" "$build/varnock-$version-windows-x64.zip" "$build/varnock-$version-setup.exe"
cmake --install "$build" --prefix "$stage" --strip >/dev/null
# Debian's mingw-w64 runtime comes with its debugging information, which no user needs.
find "$stage" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +

# The zip holds one folder, so that it unpacks as one.
rm -rf "$build/zip" && mkdir -p "$build/zip" && cp -r "$stage" "$build/zip/Varnock-$version"
(cd "$build/zip" && zip -qr -9 "../varnock-$version-windows-x64.zip" "Varnock-$version")
rm -rf "$build/zip"

# The uninstaller removes exactly the files installed, then the folders they were in.
files=$build/uninstall-files.nsh
{
    (cd "$stage" && find . -type f | sort) | while read -r file; do
        file=${file#./}
        echo "Delete \"\$INSTDIR\\${file//\//\\}\""
    done
    (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r folder; do
        folder=${folder#./}
        echo "RMDir \"\$INSTDIR\\${folder//\//\\}\""
    done
} > "$files"
size=$(du -sk "$stage" | cut -f1)
makensis -V2 -DVERSION="$version" -DSTAGE="$(realpath "$stage")" -DFILES="$(realpath "$files")" -DSIZE_KB="$size" \
    -DICON="$(realpath "$here/../../data/desktop/varnock.ico")" \
    -DOUTFILE="$(realpath "$build")/varnock-$version-setup.exe" "$here/varnock.nsi"
echo "winbuild: $build/varnock-$version-windows-x64.zip ($(du -k "$build/varnock-$version-windows-x64.zip" | cut -f1) KiB)"
echo "winbuild: $build/varnock-$version-setup.exe ($(du -k "$build/varnock-$version-setup.exe" | cut -f1) KiB), installing $size KiB"
