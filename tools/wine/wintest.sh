#!/usr/bin/env bash
# wintest.sh BUILD: runs the Windows build in BUILD (made by "./varnock.sh winbuild") under Wine, in a
# fresh Wine prefix and on a display of its own (Xvfb):
#   1. the Qt Test suites built for Windows, through CTest: the core and GUI suites headless as on
#      Linux, and the end-to-end suite of Varnock beside the 32-bit UI-View32 stand-in;
#   2. Varnock's COM link alone, driven against the stand-in (standin/win/comdriver.cpp);
#   3. the console: varnock --help, --version, --check, --explain and --decode through cmd.exe,
#      with their exit codes;
#   4. the real Varnock.exe: Help opens readme.1st in Notepad; "File > Exit" and UI-View32's
#      closing each end it cleanly; screenshots of it and its map window in BUILD/screenshots;
#   5. the installer, run silently, and its uninstaller;
#   6. start-up of Varnock.exe against a Qt floor, the installed size, the zip's size.
# Called by "./varnock.sh wintest" from the project's folder; exits 1 when any step fails.
set -euo pipefail
build=$(realpath "$1")
project=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
bin=$build/bin
failures=0
fail() {
    echo "wintest: FAILED: $*"
    failures=$((failures + 1))
}
pass() { echo "wintest: $*"; }
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)

# UI-View32 and its stand-in, NSIS's installers and parts of Wine itself are 32-bit programs. Some
# virtual machines' kernels run no 32-bit programs; there qemu's user emulation runs them.
emulated=OFF
if [[ $(cat /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null | head -n 1) == enabled ]] \
    || ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    emulated=ON
    if ! command -v qemu-i386-static >/dev/null; then
        "${sudo[@]}" apt-get install -y --no-install-recommends qemu-user-static >/dev/null
    fi
    [[ -e /proc/sys/fs/binfmt_misc/register ]] \
        || "${sudo[@]}" mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    if [[ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]]; then
        echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            | "${sudo[@]}" tee /proc/sys/fs/binfmt_misc/register >/dev/null
    fi
    # Wine claims the 32-bit address space above 2 GiB piece by piece, which takes qemu a minute for
    # every program; a guest address space that ends just above 2 GiB makes it a second.
    export QEMU_RESERVED_VA=0x80800000
    /usr/lib/wine/wine --version >/dev/null || { echo "wintest: 32-bit programs cannot run here"; exit 1; }
    pass "32-bit programs run through qemu's user emulation: this kernel runs none itself"
fi
# The end-to-end suite's CTest entries depend on it.
cmake -S "$project" -B "$build" -DVARNOCK_WINE_EMULATES_32BIT=$emulated >/dev/null
cmake --build "$build" >/dev/null

work=$(mktemp -d)
# Debian's "wine" starts Wine's 32-bit loader first, even for a 64-bit program; under emulation that
# costs up to a minute a program. Wine's 64-bit loader starts 64-bit programs itself and 32-bit ones
# through the other, so it stands for "wine" here, for Wine's own tools and CTest's runner too.
if [[ -x /usr/lib/wine/wine64 ]]; then
    mkdir -p "$work/path"
    # A script, not a link: Wine finds its own files from the path it was started by.
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$work/path/$name"
        chmod +x "$work/path/$name"
    done
    export PATH=$work/path:$PATH
fi
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null || true
    [[ -n ${xvfb:-} ]] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# One display for everything: COM's message windows, the clipboard, and the windows under test.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
sleep 1

started=$SECONDS
wineboot --init >/dev/null 2>&1
wineserver -w
# Windows' dialogs and Qt take the message font of the system; without Tahoma in the prefix, and
# Tahoma named as that font, Qt falls back to the first face it finds, a serif one.
cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
tahoma9=f4ffffff0000000000000000000000009001000000000001000000005400610068006f006d0061
wine reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v MessageFont /t REG_BINARY /d "$tahoma9" /f >/dev/null
# A crash reports itself on standard error; no debugger is to wait for anybody.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
for view in 32 64; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d "" /f \
        "/reg:$view" >/dev/null
done
# The headless suites draw with Qt's own font engine, in the face they have on Linux.
mkdir -p "$WINEPREFIX/drive_c/fonts"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf \
    "$WINEPREFIX/drive_c/fonts/"
export QT_QPA_FONTDIR='C:\fonts' QT_FORCE_STDERR_LOGGING=1
pass "a fresh Wine prefix in $((SECONDS - started)) s"

# 1. The test suites; under emulation, the suite beside the 32-bit stand-in comes last (7).
started=$SECONDS
if ctest --test-dir "$build" --output-on-failure -j2 -E '^tst_endtoend_32bit$' >"$work/ctest.log" 2>&1; then
    pass "$(grep -E 'tests passed' "$work/ctest.log") under Wine, in $((SECONDS - started)) s"
else
    cat "$work/ctest.log"
    fail "the test suites under Wine"
fi
grep -E '^ *[0-9]+/[0-9]+ Test' "$work/ctest.log" || true
# Where COM starts the stand-in itself, and where a script drives it, the build that runs reliably.
standin_exe=uiview32-standin.exe
[[ $emulated == ON ]] && standin_exe=uiview32-standin64.exe

# 2. The COM link alone against the stand-in, which COM starts itself here. Under emulation an event
# now and then arrives after the stand-in has gone: up to three tries, each from a fresh Wine server.
com_link_alone() {
    wine "$bin/$standin_exe" /unregserver >/dev/null
    wine "$bin/$standin_exe" /regserver >/dev/null
    folder="Z:${bin//\//\\}"
    rm -f "$bin/standin.log" "$bin/standin.cmd"
    {
        echo "--- a whole session"
        timeout 120 wine "$bin/comdriver.exe" "$folder"
        wineserver -w
        echo "--- a stand-in that crashes"
        timeout 120 wine "$bin/comdriver.exe" "$folder" crash
        wineserver -w
        echo "--- faults"
        timeout 120 wine "$bin/comdriver.exe" "$folder" faults
        timeout 120 wine "$bin/comdriver.exe" "$folder" faults2
        wineserver -w
        wine "$bin/$standin_exe" /unregserver >/dev/null
        echo "--- before registration"
        timeout 60 wine "$bin/comdriver.exe" "$folder" unregistered
    } 2>/dev/null | tr -d '\r' >"$work/driver.txt" || true
    tr -d '\r' <"$bin/standin.log" >"$work/log.txt" 2>/dev/null || : >"$work/log.txt"
    diff -u "$project/standin/win/expected-driver.txt" "$work/driver.txt" \
        && diff -u "$project/standin/win/expected-log.txt" "$work/log.txt"
}
started=$SECONDS
tries=0
until com_link_alone; do
    ((++tries < 3)) || break
    wineserver -k || true
    wineserver -w || true
done
if ((tries < 3)); then
    pass "every operation and both events ran through the COM link alone, in $((SECONDS - started)) s, $((tries + 1)) run(s)"
else
    fail "the COM link alone: the driver's lines or the stand-in's log differ from standin/win/expected-*.txt"
fi

# 3. The console. cmd.exe takes "varnock" for varnock.com before Varnock.exe, and waits for it.
# Each command goes through a batch file, as typed at the prompt: Unix's words reach cmd.exe
# quoted again otherwise.
console() {
    printf '@%s\r\n' "$1" >"$work/console.bat"
    (cd "$build/stage" && wine cmd /c "$(winepath -w "$work/console.bat" 2>/dev/null)" 2>/dev/null | tr -d '\r')
}
expect_console() { # COMMAND STATUS EXPECTED-OUTPUT
    local output status=0
    output=$(console "$1") || status=$?
    if [[ $status -eq $2 && $output == "$3" ]]; then
        pass "cmd /c $1: exit $status, as expected"
    else
        fail "cmd /c $1: exit $status (not $2), printed:"$'\n'"$output"
    fi
}
expect_console 'varnock --version' 0 "Varnock $version"
expect_console 'varnock --check "filter b/G* r/95/0/10"' 1 \
    "b/G*: OK"$'\n'"r/95/0/10: IGNORED, The latitude is beyond 90 degrees."
expect_console 'varnock --explain "filter b/G*"' 0 "b/G*: stations whose callsign starts with G"
expect_console 'echo filter e/T2UK r/51/-1/50 b/G* | varnock --decode -' 0 "filter b/G* r/51/-1/50 e/T2UK"
if console 'varnock --help' | grep -q -- '--check <LINE>'; then
    pass "cmd /c varnock --help lists the forms"
else
    fail "cmd /c varnock --help"
fi
status=0
console 'varnock --chek x' >/dev/null || status=$?
[[ $status -eq 2 ]] && pass "cmd /c varnock --chek x: a usage error, exit 2" || fail "a usage error gave exit $status"

# 4. The real Varnock.exe ends cleanly through File > Exit and when UI-View32 closes.
varnock_window() { # waits for Varnock's main window; its X window id
    local id
    for _ in $(seq 1 120); do
        id=$(xdotool search --onlyvisible --name '^Varnock$' 2>/dev/null | head -n 1) && [[ -n $id ]] && {
            echo "$id"
            return 0
        }
        sleep 0.5
    done
    return 1
}
ended_cleanly() { # PID LOG WHAT
    local status=0
    timeout 60 tail --pid="$1" -f /dev/null || { fail "$3: Varnock.exe did not end within 60 s"; return; }
    wait "$1" || status=$?
    if [[ $status -ne 0 ]] || grep -qiE 'page fault|unhandled|exception' "$2"; then
        fail "$3: Varnock.exe ended with $status:"$'\n'"$(cat "$2")"
    else
        pass "$3: Varnock.exe ended cleanly"
    fi
}
wine reg delete 'HKCU\Software\VB and VBA Program Settings\Peak Systems\UI-View32' /f >/dev/null 2>&1 || true
wine "$build/stage/Varnock.exe" 2>"$work/exit.log" &
pid=$!
if window=$(varnock_window); then
    sleep 2
    # Help opens readme.1st in Notepad. Without a window manager the window takes the keys once
    # given the focus.
    xdotool windowfocus --sync "$window" key --clearmodifiers alt+h
    notepad=
    for _ in $(seq 1 60); do
        notepad=$(xdotool search --onlyvisible --name 'readme\.1st' 2>/dev/null | head -n 1) && [[ -n $notepad ]] && break
        sleep 0.5
    done
    [[ -n $notepad ]] && pass "Help opened readme.1st in Notepad" || fail "Help opened no Notepad with readme.1st"
    pkill -f 'notepad\.exe' || true
    sleep 1
    # A callsign added through Qt's input dialog ("Budlist", "Add Callsign"), as a user types it,
    # and the line then handed to the clipboard ("Clipboard Filter"), where X reads it too; the
    # message that says so is answered with Enter.
    xdotool mousemove --window "$window" 163 38 click 1
    sleep 1
    xdotool mousemove --window "$window" 335 162 click 1
    sleep 2
    xdotool type --delay 50 G4ABC
    sleep 0.5
    xdotool key Return
    sleep 1
    xdotool mousemove --window "$window" 455 565 click 1
    sleep 1
    copied=$(timeout 5 xclip -selection clipboard -o 2>/dev/null || true)
    xdotool key Return # "Filter copied to clipboard"
    sleep 1
    [[ $copied == "filter b/G4ABC" ]] && pass "a callsign typed into the input dialog reached the line and the clipboard" \
        || fail "the input dialog: the clipboard holds '$copied', not 'filter b/G4ABC'"
    # File, then Exit: clicked, since a menu that opens under Wine without a window manager does
    # not take the keys.
    xdotool mousemove --window "$window" 20 8 click 1
    sleep 1
    xdotool mousemove --window "$window" 40 28 click 1
    ended_cleanly "$pid" "$work/exit.log" "File > Exit"
else
    fail "Varnock.exe showed no window"
    kill "$pid" 2>/dev/null || true
fi

wine "$bin/$standin_exe" /regserver >/dev/null
uiview=$work/prefix/drive_c/UIView32
mkdir -p "$uiview"
printf '[APRServe]\r\nEXTRA_LOGON_TEXT="filter b/G*|M*"\r\n' >"$uiview/uiview32.ini"
convert "$project/data/maps/sample.png" "BMP3:$uiview/sample.bmp"
cp "$project/data/maps/sample.inf" "$uiview/sample.inf"
mkfifo "$work/standin.in"
# A pipe, not the FIFO itself, stands as its input: the stand-in reads commands from a pipe only.
cat "$work/standin.in" | wine "$bin/$standin_exe" --folder 'C:\UIView32' --map 'C:\UIView32\sample.bmp' \
    >"$work/standin.out" 2>&1 &
standin=$!
exec 7>"$work/standin.in"
for _ in $(seq 1 60); do grep -q serving "$work/standin.out" && break; sleep 0.5; done
# The screenshots for the README: the main window and the map window, as they look on Windows.
mkdir -p "$build/screenshots"
shots=$(winepath -w "$build/screenshots" 2>/dev/null)
(cd "$bin" && timeout 120 wine varnock_screenshot.exe "$shots\\main-windows.png" 2>/dev/null \
    && timeout 120 wine varnock_screenshot.exe "$shots\\map-windows.png" map 2>/dev/null) \
    && pass "screenshots in $build/screenshots" || fail "the screenshots"
wine "$build/stage/Varnock.exe" 2>"$work/close.log" &
pid=$!
if window=$(varnock_window); then
    for _ in $(seq 1 60); do [[ -f $uiview/Varnock.xtr ]] && break; sleep 0.5; done
    sleep 2
    # As the user sees it, Wine's frame included.
    import -window root -crop "$(xdotool getwindowgeometry --shell "$window" | awk -F= '
        /WIDTH/ { w = $2 } /HEIGHT/ { h = $2 } /^X/ { x = $2 } /^Y/ { y = $2 }
        END { printf "%dx%d+%d+%d", w, h, x, y }')" "$build/screenshots/varnock-exe.png" 2>/dev/null || true
    echo close >&7
    ended_cleanly "$pid" "$work/close.log" "UI-View32 closing"
else
    fail "Varnock.exe beside the stand-in showed no window; the stand-in said: $(cat "$work/standin.out")"
    echo close >&7
fi
exec 7>&-
wait "$standin" 2>/dev/null || true

# 5. The installer, run silently, with UI-View32 recorded in a folder where no add-on entry is yet.
started=$SECONDS
programs="$WINEPREFIX/drive_c/Program Files/Varnock"
rm -f "$uiview/Varnock.xtr"
wine reg add 'HKCU\Software\VB and VBA Program Settings\Peak Systems\UI-View32' /v "Program Folder" \
    /d 'C:\UIView32\' /f >/dev/null
wine "$build/varnock-$version-setup.exe" /S
wineserver -w
expected_entry=$'Varnock\r\n"C:\\Program Files\\Varnock\\Varnock.exe"\r\nFalse\r\nFalse\r\n'
[[ -f $programs/Varnock.exe && -f $programs/varnock.com && -f $programs/platforms/qwindows.dll \
    && -f $programs/styles/qwindowsvistastyle.dll && -f $programs/readme.1st && -f $programs/LICENSE.txt ]] \
    && pass "the installer put Varnock in Program Files\\Varnock" || fail "the installed files"
[[ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Varnock.lnk" ]] \
    && pass "the Start menu holds Varnock" || fail "no Start menu entry"
uninstall=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnock' /v UninstallString \
    2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[[ $uninstall == '"C:\Program Files\Varnock\Uninstall.exe"' ]] \
    && pass "Apps & features lists Varnock with its uninstaller" || fail "the uninstall entry: '$uninstall'"
# Compared as files: a command's output in $(...) loses its last line end.
cmp -s <(printf '%s' "$expected_entry") "$uiview/Varnock.xtr" \
    && pass "the installer added Varnock to UI-View32's add-ons, the four lines byte for byte" \
    || fail "Varnock.xtr after installing: $(od -c "$uiview/Varnock.xtr" 2>&1 | head -5)"
output=$(cd "$programs" && wine cmd /c 'varnock --version' 2>/dev/null | tr -d '\r')
[[ $output == "Varnock $version" ]] && pass "the installed varnock --version: $output" || fail "installed --version: $output"
output=$(cd /tmp && wine 'C:\Program Files\Varnock\varnock.com' --check "filter m/10" 2>/dev/null | tr -d '\r')
[[ $output == "m/10: OK" ]] && pass "the installed varnock --check, from another folder" || fail "installed --check: $output"

wine 'C:\Program Files\Varnock\Uninstall.exe' /S
wineserver -w
for _ in $(seq 1 60); do [[ -e $programs ]] || break; sleep 1; done
[[ ! -e $programs ]] && pass "the uninstaller removed Program Files\\Varnock" \
    || fail "left after uninstalling: $(find "$programs" | head)"
[[ ! -e "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Varnock.lnk" ]] \
    && pass "the Start menu entry is gone" || fail "the Start menu entry stayed"
! wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnock' >/dev/null 2>&1 \
    && pass "the uninstall entry is gone" || fail "the uninstall entry stayed"
[[ ! -e $uiview/Varnock.xtr ]] && pass "the uninstaller removed its own add-on entry" || fail "its Varnock.xtr stayed"

# Another Varnock's add-on entry is neither replaced by the installer nor removed by the uninstaller.
other=$'Varnock\r\n"D:\\Tools\\Varnock\\Varnock.exe"\r\nFalse\r\nFalse\r\n'
printf '%s' "$other" >"$uiview/Varnock.xtr"
wine "$build/varnock-$version-setup.exe" /S
wineserver -w
wine 'C:\Program Files\Varnock\Uninstall.exe' /S
wineserver -w
for _ in $(seq 1 60); do [[ -e $programs ]] || break; sleep 1; done
cmp -s <(printf '%s' "$other") "$uiview/Varnock.xtr" \
    && pass "another installation's add-on entry is left as it was" || fail "another Varnock.xtr was changed"
pass "installing and uninstalling twice took $((SECONDS - started)) s"

# 6. Figures: start-up to the first shown window, best of five, against the floor built the same way.
first_window() { # NAME PROGRAM: milliseconds from the start to the window
    local begin end pid
    begin=$(date +%s%N)
    wine "$2" 2>/dev/null &
    pid=$!
    # Looked for every 10 ms: xdotool's own waiting looks once a second.
    for _ in $(seq 1 3000); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && break
        sleep 0.01
    done
    end=$(date +%s%N)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo $(((end - begin) / 1000000))
}
best() {
    local best=999999 ms
    for _ in 1 2 3 4 5; do
        ms=$(first_window "$1" "$2")
        ((ms < best)) && best=$ms
    done
    echo "$best"
}
wine reg delete 'HKCU\Software\VB and VBA Program Settings\Peak Systems\UI-View32' /f >/dev/null 2>&1 || true
# Wine's server is kept between the runs, as it stays on a user's desktop.
wineserver -w
wineserver -p 60 || true
varnock_ms=$(best Varnock "$build/stage/Varnock.exe")
floor_ms=$(best 'Varnock floor' "$bin/varnock_startfloor.exe")
echo "wintest: figure                                          value  against"
printf 'wintest: %-44s %8s ms  x%s of the floor\n' "start-up to first shown window, Varnock.exe" "$varnock_ms" \
    "$(awk "BEGIN { printf \"%.2f\", $varnock_ms / $floor_ms }")"
printf 'wintest: %-44s %8s ms\n' "  floor: QTabWidget of fourteen empty tabs" "$floor_ms"
printf 'wintest: %-44s %8s KiB\n' "installed size" "$(du -sk "$build/stage" | cut -f1)"
printf 'wintest: %-44s %8s KiB\n' "varnock-$version-windows-x64.zip" \
    "$(du -k "$build/varnock-$version-windows-x64.zip" | cut -f1)"
printf 'wintest: %-44s %8s KiB\n' "varnock-$version-setup.exe" "$(du -k "$build/varnock-$version-setup.exe" | cut -f1)"

# 7. Under emulation, Varnock beside the 32-bit stand-in. There a 32-bit program now and then dies
# of the emulation itself (a smashed stack; an exception Wine cannot deliver) where the same program
# built 64-bit never does, and takes Wine's COM service down with it: so it runs last, is given three
# tries, and where all three fail for the emulation it is reported as not judged here, loudly.
if [[ $emulated == ON ]]; then
    started=$SECONDS
    emulation_died='stack smashing|Unhandled exception|uncaught target signal|unexpected trap|0x800706BE'
    tries=0
    passed=false
    : >"$work/ctest32.log"
    while ((tries < 3)) && ! $passed; do
        tries=$((tries + 1))
        # Each try with Wine's services started afresh: a stand-in the emulation killed takes them down.
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        ctest --test-dir "$build" --output-on-failure -R '^tst_endtoend_32bit$' >>"$work/ctest32.log" 2>&1 \
            && passed=true
    done
    if $passed; then
        pass "Varnock beside the 32-bit stand-in, in $tries run(s), $((SECONDS - started)) s"
    # The emulator's words, Wine's, or COM's for a server that died inside a call (0x800706BE).
    elif grep -qE "$emulation_died" "$work/ctest32.log"; then
        grep -E "FAIL!|$emulation_died" "$work/ctest32.log"
        echo "wintest: NOT JUDGED: Varnock beside the 32-bit stand-in: qemu's emulation of the 32-bit stand-in"
        echo "wintest:   failed three times (above); the same suite passed against the stand-in built 64-bit"
    else
        cat "$work/ctest32.log"
        fail "Varnock beside the 32-bit stand-in, three times"
    fi
fi

if ((failures > 0)); then
    echo "wintest: $failures step(s) failed"
    exit 1
fi
echo "wintest: every step passed"
