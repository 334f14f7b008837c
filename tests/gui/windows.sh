#!/usr/bin/env bash
# The real windows under Xvfb: a front end (fltk, or win32 under Wine) started in
# builder mode and in flasher mode with a virtual machine. Each window is checked
# against the form description (size, controls, their places) through the front end's
# layout report, photographed with ImageMagick's import (the PNGs stay in ARTIFACTS),
# and one full flash is driven through the real window with xdotool: the warning is
# answered with Return, FLASH is clicked, the confirmation answered, the window closed.
#   windows.sh FRONT_END PACKAGE_TOOL PROGRAM ARTIFACTS [LAUNCHER...]
set -u
FRONT_END=$1
TOOL=$2
PROGRAM=$3
ARTIFACTS=$4
shift 4
LAUNCHER=("$@")
FAILURES=0
SCRATCH=$(mktemp -d)
mkdir -p "$ARTIFACTS"
fail() {
    echo "FAIL: $1"
    FAILURES=$((FAILURES + 1))
}

# A display of our own.
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
XVFB_PID=$!
read -r -t 20 number <&3 || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$number
cleanup() {
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null
    [ "$FRONT_END" = win32 ] && wineserver -k 2>/dev/null
    kill "$XVFB_PID" 2>/dev/null
    rm -rf "$SCRATCH"
}
trap cleanup EXIT
# Wine starts its desktop on this display.
if [ "$FRONT_END" = win32 ]; then
    wineserver -k 2>/dev/null
    wineboot -i >/dev/null 2>&1
    wineserver -w 2>/dev/null
fi

cp "$PROGRAM" "$SCRATCH/KRVFLASH.EXE"
cd "$SCRATCH"
export KRVFLASH_UI=$FRONT_END KRVFLASH_UI_REPORT=$SCRATCH/report.txt

# wait_for COMMAND...: up to 30 seconds until the command succeeds.
wait_for() {
    for _ in $(seq 120); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.25
    done
    return 1
}
window_named() { # fails while no such window shows
    local id
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && echo "$id"
}
# press WINDOW KEY: the key, typed into the window (there is no window manager to focus it).
press() {
    xdotool windowfocus "$1" 2>/dev/null
    xdotool key "$2" 2>/dev/null
}
# The window manager's close: Escape closes an FLTK window; Wine takes Alt+F4.
if [ "$FRONT_END" = fltk ]; then CLOSE_KEY=Escape; else CLOSE_KEY=alt+F4; fi
report_line() { grep "^$1 " report.txt; }
start() { # start [machine]: starts the program in the background
    rm -f report.txt
    if [ "${1:-}" = machine ]; then
        KRVFLASH_VIRTUAL_DRIVES=machine.ini "${LAUNCHER[@]}" ./"$PROGRAM_NAME" >program.out 2>&1 &
    else
        "${LAUNCHER[@]}" ./"$PROGRAM_NAME" >program.out 2>&1 &
    fi
    APP_PID=$!
}
finish() { # the program ends by itself, with exit code 0
    local status=1
    for _ in $(seq 120); do
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            wait "$APP_PID"
            status=$?
            break
        fi
        sleep 0.25
    done
    APP_PID=
    [ "$status" = 0 ] || fail "$1: the program did not end with exit code 0 ($status)"
}
shoot() { # shoot WINDOW NAME: a PNG of the window in the artifacts
    import -window "$1" "$ARTIFACTS/$FRONT_END-$2.png" 2>/dev/null || fail "screenshot $2"
}
# check_layout: the window and its controls where the form description puts them.
check_layout() {
    local name=$1
    wait_for test -s report.txt || { fail "$name: no layout report"; return; }
    local size
    size=$(head -n 1 report.txt | cut -d' ' -f2,3)
    [ "$size" = "425 201" ] || fail "$name: window client area $size, expected 425 201"
    local expected='SelectDriveLabel 16 16 369 25
ComboBox 16 40 385 24
FileListBox1 16 72 385 41
GroupBox2 16 128 385 49
ProgressBar 24 144 305 25
FlashButton 336 144 57 25'
    local actual
    actual=$(grep -E '^(SelectDriveLabel|ComboBox|FileListBox1|GroupBox2|ProgressBar|FlashButton) ' report.txt | cut -d' ' -f1,3-6)
    [ "$actual" = "$expected" ] || { fail "$name: control places"; diff <(echo "$expected") <(echo "$actual") | sed 's/^/    /'; }
}
# text_shows WINDOW X Y W H NAME: the area holds more than its background colour.
text_shows() {
    local colours
    colours=$(import -window "$1" -crop "$4x$5+$2+$3" +repage -format %k info:- 2>/dev/null)
    [ "${colours:-0}" -gt 2 ] || fail "$6: no text shows (${colours:-no} colours)"
}

PROGRAM_NAME=KRVFLASH.EXE
printf '[MODEL00]\nModel=QKA-270\nInquiry=QSI     DVD-ROM QKA-270 \nFW-Range=1A00-1AZZ\nBINMask=*.BIN\nVendor=qsi\nNote=FLASH-ALL\n' >KRVFLASH.INI
"$TOOL" make-image tagged 65536 1A07.BIN

# --- Builder mode: the window, then Build through it --------------------------------------
start
wait_for window_named "Flash Utility" || { fail "builder: no window"; exit 1; }
W=$(window_named "Flash Utility")
check_layout builder
report_line FlashButton | grep -q ' disabled Build$' || fail "builder: Build disabled at start"
sleep 0.5
shoot "$W" builder
text_shows "$W" 16 16 200 25 "builder label"
text_shows "$W" 16 72 200 41 "builder file list"
xdotool mousemove --window "$W" 40 82 click 1
wait_for grep -q '^FlashButton .* enabled Build$' report.txt || fail "builder: choosing a file enables Build"
xdotool mousemove --window "$W" 364 156 click 1
wait_for grep -q 'Build 1A07.EXE complete!' report.txt || fail "builder: Build through the window"
shoot "$W" builder-built
cmp -s -i "$(($(grep -obUa 'K519-0-2043617' KRVFLASH.EXE | head -n 1 | cut -d: -f1) + 152)):0" -n 65536 1A07.EXE 1A07.BIN \
    || fail "builder: the flasher holds the image"
press "$W" "$CLOSE_KEY"
finish builder

# --- Flasher mode: the warning, the window, a full flash ----------------------------------
chmod +x 1A07.EXE
PROGRAM_NAME=1A07.EXE
cat >machine.ini <<'MACHINE'
[Machine]
Clock=virtual
CommandLog=log
[Drive4]
Letter=E
Vendor=QSI
Product=DVD-ROM QKA-270
Revision=1A05
FlashId=BF B6 00 02
RevisionAfterFlash=1A07
FlashFile=flashed.bin
MACHINE
# Escape answers the warning No: the program ends and no drive is touched.
start machine
wait_for window_named "^Warning$" || { fail "flasher: no warning dialog"; exit 1; }
press "$(window_named "^Warning$")" Escape
finish "escape on the warning"
[ -e log ] && fail "escape on the warning: a drive was touched"

start machine
# The warning comes before the main window.
wait_for window_named "^Warning$" || { fail "flasher: no warning dialog"; exit 1; }
D=$(window_named "^Warning$")
[ -n "$(window_named "Flash Utility")" ] && fail "flasher: the main window shows before the warning is answered"
sleep 0.5
shoot "$D" warning
[ -e log ] && fail "flasher: a drive was touched before the warning was answered"
press "$D" Return
wait_for window_named "Flash Utility" || { fail "flasher: no window after Yes"; exit 1; }
W=$(window_named "Flash Utility")
check_layout flasher
report_line FileListBox1 | grep -q ' hidden ' || fail "flasher: the file list is hidden"
report_line ComboBox | grep -q '0-0-0 E: QSI     DVD-ROM QKA-270 1A05' || fail "flasher: the drive row"
sleep 0.5
shoot "$W" flasher
xdotool mousemove --window "$W" 364 156 click 1
wait_for window_named "^Confirm$" || { fail "flasher: no confirmation dialog"; exit 1; }
D=$(window_named "^Confirm$")
sleep 0.5
shoot "$D" confirmation
press "$D" Return
wait_for grep -q 'Flash Completed.' report.txt || fail "flasher: the flash completes"
shoot "$W" flasher-flashed
report_line ComboBox | grep -q '0-0-0 E: QSI     DVD-ROM QKA-270 1A07' || fail "flasher: the row shows the new revision"
cmp -s flashed.bin 1A07.BIN || fail "flasher: the drive's flash holds the image"
grep -q '3B 05 01 00 00 00 00 00 00 A0 00 00 in 16 t=180 -> 00 00 00' log || fail "flasher: the flash-all command"
press "$W" "$CLOSE_KEY"
finish flasher

echo "screenshots in $ARTIFACTS"
if [ "$FAILURES" != 0 ]; then
    echo "$FAILURES check(s) failed"
    exit 1
fi
echo "all checks passed"
