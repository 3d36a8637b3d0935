#!/usr/bin/env bash
# Runs Varnock's COM link against the Windows stand-in under Wine: builds both with mingw-w64 into
# build-win/, makes a fresh Wine prefix, and compares what the driver printed and what the stand-in
# logged with what they must be. Called by "./varnock.sh wintest" from the project's folder.
set -euo pipefail
out=build-win
mkdir -p "$out"
idl_include=/usr/include/wine/wine/windows
tlb_path=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
flags=(-std=c++20 -O1 -Wall -Wextra -Werror -static)

x86_64-w64-mingw32-widl -I "$idl_include" -L "$tlb_path" -t -o "$out/uiview32.tlb" standin/win/uiview32.idl
x86_64-w64-mingw32-widl -I "$idl_include" -h -o "$out/uiview32.h" standin/win/uiview32.idl
x86_64-w64-mingw32-g++-posix "${flags[@]}" -I"$out" standin/win/comstandin.cpp -o "$out/uiview32-standin.exe" \
    -lole32 -loleaut32 -luuid -lgdi32 -luser32 -ladvapi32
x86_64-w64-mingw32-g++-posix "${flags[@]}" -Isrc standin/win/comdriver.cpp src/uiview/win/comautomation.cpp \
    -o "$out/comdriver.exe" -lole32 -loleaut32 -luuid -luser32

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cp "$out/uiview32-standin.exe" "$out/comdriver.exe" "$out/uiview32.tlb" "$work/"
# Wine shows the whole file system as drive Z:.
folder="Z:${work//\//\\}"

# The clipboard and COM's message windows want a display: the whole run has one of its own.
cat > "$work/run.sh" <<RUN
#!/usr/bin/env bash
cd "$work"
wineboot --init >/dev/null 2>&1
# The first boot goes on in the background; nothing is registered until it is done.
wineserver -w
echo "--- before registration"
timeout 60 wine comdriver.exe '$folder' unregistered
timeout 60 wine uiview32-standin.exe /regserver >/dev/null
echo "--- a whole session"
timeout 120 wine comdriver.exe '$folder'
wineserver -w
echo "--- a stand-in that crashes"
timeout 120 wine comdriver.exe '$folder' crash
wineserver -w
echo "--- faults"
timeout 120 wine comdriver.exe '$folder' faults
timeout 120 wine comdriver.exe '$folder' faults2
wineserver -w
RUN
chmod +x "$work/run.sh"
xvfb-run -a "$work/run.sh" | tr -d '\r' > "$work/driver.txt" || true
tr -d '\r' < "$work/standin.log" > "$work/log.txt" 2>/dev/null || : > "$work/log.txt"

status=0
while IFS= read -r line; do
    if [[ $line == ---* ]]; then
        echo "wintest: $line"
    elif grep -qxF -- "$line" "$work/driver.txt"; then
        echo "wintest: $line"
    else
        echo "wintest: MISSING $line"
        status=1
    fi
done < standin/win/expected-driver.txt
if ! diff -u standin/win/expected-driver.txt "$work/driver.txt"; then
    echo "wintest: the driver's lines differ from standin/win/expected-driver.txt"
    status=1
fi
if ! diff -u standin/win/expected-log.txt "$work/log.txt"; then
    echo "wintest: the stand-in's log differs from standin/win/expected-log.txt"
    status=1
fi
((status == 0)) && echo "wintest: every operation and both events ran through the COM link as they must"
exit $status
