#!/usr/bin/env bash
# build-qt-windows.sh PREFIX: builds Qt 6.4.2 for 64-bit Windows (Core, Gui, Widgets, Network and Test,
# the windows and offscreen platforms, the Windows styles) with Debian 12's mingw-w64, from Debian's own
# qt6-base source package, and installs it with its licence texts into PREFIX. Varnock's Windows build
# uses it where no Qt for Windows is given. It takes some 40 minutes on two cores, and root for apt-get;
# it adds a deb-src line for Debian's archive when there is none.
set -euo pipefail
prefix=${1:?usage: build-qt-windows.sh PREFIX}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive

if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        | "${sudo[@]}" tee /etc/apt/sources.list.d/varnock-qt-source.sources >/dev/null
fi
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends dpkg-dev xz-utils cmake ninja-build perl qt6-base-dev \
    qt6-base-dev-tools g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev >/dev/null

cd "$work"
apt-get source --download-only qt6-base=6.4.2+dfsg-10 >/dev/null
tar xf qt6-base_6.4.2+dfsg.orig.tar.xz
source=$work/qtbase-everywhere-src-6.4.2

# Debian's source leaves out Qt's copy of the Wintab headers (tablet input, under a licence Debian does
# not ship). Wine's LGPL header declares the interface; the packet record is laid out here from
# PACKETDATA, in the order Wintab lays its fields out.
wintab=$source/src/3rdparty/wintab
mkdir -p "$wintab"
cp /usr/include/wine/wine/windows/wintab.h "$wintab/wine-wintab.h"
cat > "$wintab/wintab.h" <<'HEADER'
/* Wintab for Qt's tablet support: Wine's declarations, with the two macros they expect. */
#pragma once
#include <windows.h>
#ifndef API
#define API WINAPI
#endif
#ifndef DECL_WINELIB_TYPE_AW
#ifdef UNICODE
#define DECL_WINELIB_TYPE_AW(type) typedef type##W type;
#else
#define DECL_WINELIB_TYPE_AW(type) typedef type##A type;
#endif
#endif
#include "wine-wintab.h"
HEADER
{
    echo '/* The Wintab PACKET record for the fields named in PACKETDATA, in Wintab'"'"'s own order. */'
    echo '#pragma once'
    echo 'typedef struct tagPACKET {'
    while read -r flag type field; do
        printf '#if (PACKETDATA & %s)\n    %s %s;\n#endif\n' "$flag" "$type" "$field"
    done <<'FIELDS'
PK_CONTEXT HCTX pkContext
PK_STATUS UINT pkStatus
PK_TIME DWORD pkTime
PK_CHANGED WTPKT pkChanged
PK_SERIAL_NUMBER UINT pkSerialNumber
PK_CURSOR UINT pkCursor
PK_BUTTONS DWORD pkButtons
PK_X LONG pkX
PK_Y LONG pkY
PK_Z LONG pkZ
PK_NORMAL_PRESSURE UINT pkNormalPressure
PK_TANGENT_PRESSURE UINT pkTangentPressure
PK_ORIENTATION ORIENTATION pkOrientation
PK_ROTATION ROTATION pkRotation
FIELDS
    echo '} PACKET, *PPACKET, *NPPACKET, *LPPACKET;'
} > "$wintab/pktdef.h"

mkdir -p build && cd build
"$source/configure" -release -prefix "$prefix" -xplatform win32-g++ -qt-host-path /usr -nomake tests -nomake examples \
    -no-opengl -no-dbus -no-feature-sql -no-feature-printsupport -no-feature-concurrent -no-feature-xml \
    -no-feature-vulkan -no-openssl -schannel \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build . --parallel "$(nproc)"
cmake --install .
mkdir -p "$prefix/LICENSES"
cp "$source"/LICENSES/* "$prefix/LICENSES/"
echo "Qt for Windows installed in $prefix"
