#!/usr/bin/env bash
# Installs what Varnock needs on Debian 12, builds it, and runs it, its tests or its benchmark.
#
#   ./varnock.sh run        install, build and start Varnock
#   ./varnock.sh test       install, build and run every test
#   ./varnock.sh sanitize   the same tests, built with AddressSanitizer and UBSan
#   ./varnock.sh bench      install, build and print the benchmark table
#   ./varnock.sh winbuild   cross-build Varnock for Windows, its tests, the zip and the installer
#   ./varnock.sh wintest    run the Windows build under Wine: the test suites, Varnock beside the
#                           32-bit UI-View32 stand-in, the console, and the installer
#   ./varnock.sh fuzz       build the libFuzzer targets and run each for FUZZ_SECONDS (default 40)
#   ./varnock.sh package    build the Debian package build/varnock_VERSION_amd64.deb
#   ./varnock.sh packagecheck  build it, install it, check what it installed, and remove it again
#
# Every command may be run again: installed packages and up-to-date builds are left as they are.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake make g++ qt6-base-dev libgl-dev fonts-dejavu-core xdg-utils dbus)
# The tests build the APRS-IS server aprsc from the shared folder beside the project.
test_packages=(gcc libevent-dev libcap-dev libssl-dev zlib1g-dev)

install_packages() {
    local missing=() package
    for package in "${packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    ((${#missing[@]} == 0)) && return
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

# build DIR [CONFIGURE-OPTIONS...] [-- BUILD-OPTIONS...]
build() {
    local dir=$1 configure=() options=()
    shift
    while (($#)) && [[ $1 != -- ]]; do configure+=("$1"); shift; done
    (($#)) && shift
    options=("$@")
    # VARNOCK_REQUIRE_SERVER=ON (CI sets it) fails the server tests where aprsc would be missing.
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNOCK_REQUIRE_SERVER="${VARNOCK_REQUIRE_SERVER:-OFF}" \
        "${configure[@]}"
    cmake --build "$dir" -j"$(nproc)" "${options[@]}"
}

# Qt for Windows: VARNOCK_QT_WINDOWS, else the ready-built one in the shared folder beside the
# project, else one built from Debian's source into the user's cache (some 40 minutes, once).
windows_qt() {
    if [[ -n ${VARNOCK_QT_WINDOWS:-} ]]; then
        echo "$VARNOCK_QT_WINDOWS"
    elif [[ -d ../shared/qt6-mingw/lib/cmake/Qt6 ]]; then
        realpath ../shared/qt6-mingw
    else
        local cache=${XDG_CACHE_HOME:-$HOME/.cache}/varnock/qt6-mingw-6.4.2
        [[ -d $cache/lib/cmake/Qt6 ]] || tools/build-qt-windows.sh "$cache" >&2
        echo "$cache"
    fi
}

headless_tests() {
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$1" --output-on-failure -j"$(nproc)"
}

case "${1:-}" in
run)
    install_packages
    build build
    exec build/bin/varnock
    ;;
test)
    install_packages "${test_packages[@]}"
    build build
    headless_tests build
    ;;
sanitize)
    install_packages "${test_packages[@]}"
    build build-sanitize -DVARNOCK_SANITIZE=ON -DVARNOCK_BUILD_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        headless_tests build-sanitize
    ;;
winbuild)
    install_packages g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools qt6-base-dev-tools \
        libwine-dev nsis zip
    qt=$(windows_qt)
    build build-windows -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$qt" \
        -DQT_HOST_PATH=/usr -DVARNOCK_BUILD_BENCH=OFF
    packaging/windows/package.sh build-windows
    ;;
wintest)
    "$0" winbuild
    # UI-View32 is a 32-bit program, and so is its stand-in: Wine runs them with its 32-bit half.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        sudo=()
        [[ $(id -u) -ne 0 ]] && sudo=(sudo)
        "${sudo[@]}" dpkg --add-architecture i386
    fi
    install_packages wine wine64 wine32:i386 fonts-wine fonts-dejavu-core xvfb xauth xdotool xclip imagemagick
    tools/wine/wintest.sh build-windows
    ;;
fuzz)
    install_packages clang libclang-rt-14-dev
    build build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DVARNOCK_FUZZ=ON -DVARNOCK_BUILD_TESTS=OFF \
        -DVARNOCK_BUILD_BENCH=OFF -- --target fuzz_all
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    for target in fuzz_filterline fuzz_numbers fuzz_mapinfo fuzz_logon fuzz_symbols fuzz_callback fuzz_serverlines fuzz_packets fuzz_session fuzz_mappixels; do
        # New inputs go to a scratch folder; the seeds in the repository stay as they are.
        mkdir -p "$work/$target"
        if ! build-fuzz/bin/"$target" -max_total_time="${FUZZ_SECONDS:-40}" -artifact_prefix="$work/" \
            "$work/$target" "fuzz/corpus/$target" > "$work/$target.log" 2>&1; then
            tail -n 40 "$work/$target.log"
            echo "fuzz: $target found a fault; the input is in $work"
            trap - EXIT
            exit 1
        fi
        echo "fuzz: $target $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$work/$target.log"), no fault"
    done
    ;;
package)
    install_packages dpkg-dev
    build build
    rm -f build/varnock_*.deb
    (cd build && cpack -G DEB)
    ;;
packagecheck)
    "$0" package
    install_packages desktop-file-utils appstream man-db
    sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    deb=$(ls build/varnock_*_amd64.deb)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "./$deb"
    trap 'DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y varnock >/dev/null' EXIT
    desktop-file-validate /usr/share/applications/org.varnock.varnock.desktop
    appstreamcli validate --pedantic --no-net /usr/share/metainfo/org.varnock.varnock.metainfo.xml
    [[ -f /usr/share/icons/hicolor/scalable/apps/varnock.svg && -f /usr/share/icons/hicolor/48x48/apps/varnock.png ]]
    man -w varnock >/dev/null
    grep -q 'License: GPL-3+' /usr/share/doc/varnock/copyright
    # The menu entry's command starts the window (it runs until stopped here).
    launch=$(sed -n 's/^Exec=//p' /usr/share/applications/org.varnock.varnock.desktop)
    status=0
    QT_QPA_PLATFORM=offscreen timeout 5 $launch || status=$?
    [[ $status -eq 124 ]] || { echo "packagecheck: the menu entry's \"$launch\" ended with $status"; exit 1; }
    # From another folder, the installed program must still find the files of its own folder.
    cd /tmp
    varnock --check "filter b/G* m/10" | grep -qx "b/G\*: OK"
    varnock --explain "s/>//" | grep -q "the symbol Car"
    varnock --version
    echo "packagecheck: $deb installs, its desktop entry (which starts the window), metainfo, icons and manual page are in place and valid,"
    echo "packagecheck: and the installed varnock checks and explains lines from another folder"
    ;;
bench)
    install_packages
    build build
    # The map is fetched over a session bus of its own, from the stand-in.
    QT_QPA_PLATFORM=offscreen dbus-run-session -- build/bin/varnock_bench
    ;;
*)
    sed -n '2,13p' "$0"
    exit 2
    ;;
esac
