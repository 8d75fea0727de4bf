#!/usr/bin/env bash
# Retakes docs/screenshot.png: VANTROK.exe under Wine against a fresh demo
# station, on a virtual screen with the IceWM window manager, so the window
# has its title bar and the icon sits in a real notification area (Wine puts
# it there through XEmbed).
#
#   docs/make-screenshot.sh [BUILD_DIR [VANTROK_EXE [PICTURE]]]
#
# Defaults: build, build-win64/bin/VANTROK.exe, docs/screenshot.png (build
# both first, e.g. with ./vantrok test). Needs xvfb, icewm, xdotool,
# imagemagick and wine; takes a little over a minute (VANTROK's start-up wait).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
exe=$(realpath "${2:-$root/build-win64/bin/VANTROK.exe}")
picture=$(realpath -m "${3:-$root/docs/screenshot.png}")
station_tool=$build/bin/vantrok-station
[ -x "$station_tool" ] || { echo "no $station_tool: build first" >&2; exit 1; }
[ -f "$exe" ] || { echo "no $exe: build first" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
icewm_pid=""
icewmbg_pid=""
finish() {
    set +e   # stop whatever is still there, even when something already ended
    WINEPREFIX=$work/prefix wineserver -k >/dev/null 2>&1
    [ -n "$icewmbg_pid" ] && kill "$icewmbg_pid" 2>/dev/null
    [ -n "$icewm_pid" ] && kill "$icewm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

"$station_tool" init "$work/station" >/dev/null
"$station_tool" register "$work/station" >/dev/null

# A small screen, so the window and the task bar fill the picture.
Xvfb -displayfd 3 -screen 0 480x200x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
# A plain Windows-like look: the window's own title buttons, a task bar with
# the notification area and the clock, nothing else.
export ICEWM_PRIVCFG=$work/icewm
mkdir -p "$ICEWM_PRIVCFG"
echo 'Theme="win95/default.theme"' >"$ICEWM_PRIVCFG/theme"
printf '%s\n' 'TitleFontNameXft="sans-serif:size=8:bold"' 'TitleButtonsLeft="s"' 'TitleButtonsRight="ix"' 'DesktopBackgroundColor="rgb:00/80/80"' \
    TaskBarShowWorkspaces=0 TaskBarShowWindowListMenu=0 TaskBarShowShowDesktopButton=0 \
    TaskBarShowCPUStatus=0 TaskBarShowMEMStatus=0 TaskBarShowNetStatus=0 TaskBarShowMailboxStatus=0 \
    >"$ICEWM_PRIVCFG/preferences"
icewm >/dev/null 2>&1 &
icewm_pid=$!
icewmbg >/dev/null 2>&1 &
icewmbg_pid=$!

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export ODBCSYSINI=$work/station
# Wine takes the short date pattern VANTROK insists on from the locale; only
# Wine's processes get it, so this shell does not try it.
wine_locale=(env LC_ALL=en_GB.UTF-8)
# With wine32 installed Debian's wine would start the 32-bit loader first.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine
echo "Preparing a Wine prefix..."
"${wine_locale[@]}" "$wine" wineboot -i >/dev/null 2>&1
echo "Starting VANTROK.exe (it waits one minute before its window shows)..."
"${wine_locale[@]}" "$wine" "$exe" >/dev/null 2>&1 &

window=""
for _ in $(seq 120); do
    window=$(xdotool search --onlyvisible --name '^FINAL VANTROK MODE$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 1
done
[ -n "$window" ] || { echo "VANTROK's window did not show" >&2; exit 1; }
xdotool windowmove --sync "$window" 120 40
sleep 3   # the tray icon settles
import -window root "$picture"
echo "Wrote $picture"
