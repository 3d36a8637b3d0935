#!/usr/bin/env bash
# Takes the README's Linux screenshots under Xvfb, at 100 % and at 150 % scaling, into a folder:
#   tools/screenshots.sh BUILD OUT
# BUILD is a build folder of ./varnock.sh run (its bin/ holds varnock_screenshot and the stand-in);
# needs xvfb, dbus and imagemagick. The map windows are taken beside the stand-in for UI-View32,
# which shows the sample map; a home folder of its own keeps the user's settings out of it.
set -euo pipefail
build=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")
bin=$build/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME/.qttest/config" "$XDG_RUNTIME_DIR" "$work/uiview32"
chmod 700 "$XDG_RUNTIME_DIR"
# The screenshot tool reads settings from Qt's test location: UI-View32 is recorded there.
printf '[UI-View32]\nProgram%%20Folder=%s/\n' "$work/uiview32" >"$HOME/.qttest/config/Peak Systems.ini"

cat >"$work/shoot" <<SHOOT
#!/usr/bin/env bash
set -eu
( sleep 300 | "$bin/uiview32-standin" --folder "$work/uiview32" --map "$bin/maps/sample.png" \
    --no-register >/dev/null ) &
sleep 2
for scale in 1 1.5; do
    tag=\$( [ \$scale = 1 ] && echo "" || echo "-150" )
    for shot in warning ignored decode map maparea; do
        QT_SCALE_FACTOR=\$scale "$bin/varnock_screenshot" "$work/\$shot\$tag.png" \$shot
    done
    convert "$work/map\$tag.png" "$work/maparea\$tag.png" +append "$out/map-figures\$tag.png"
    cp "$work/warning\$tag.png" "$out/varnock\$tag.png"
    cp "$work/ignored\$tag.png" "$out/ignored\$tag.png"
    cp "$work/decode\$tag.png" "$out/decode\$tag.png"
done
kill %1 2>/dev/null || true
SHOOT
chmod +x "$work/shoot"
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$work/shoot"
ls "$out"
