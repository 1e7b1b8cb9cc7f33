#!/usr/bin/env bash
# Builds the program (not the tests) and starts its launcher under Wine, in
# the build tree's root: the launcher reads and writes "config.cfg" there and
# starts the game "_Hollowmere.exe" from there.
#
# Without a display the launcher runs on a virtual one: the start dialog's
# window is saved as build/launcher.png, ended with a click on "Exit", and
# the script says what the launcher opened (web addresses are caught instead
# of going to a browser).
#
# The opening scene's data is written into the build tree's "Data" folder
# first. With --game the game "_Hollowmere.exe" itself is started. Without a display
# the launcher's "Start Game" is pressed on a virtual one instead, the game's
# window is saved as build/game.png and the game is ended with Escape.
#
# A machine whose kernel cannot execute 32-bit user code cannot start 32-bit
# Wine; there only the 64-bit build of the same sources is built and started.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
screenshot=$repo/build/launcher.png
game_screenshot=$repo/build/game.png
timeout_seconds=60
# How long the game runs before its picture is taken.
game_settle_seconds=3
# What the launcher needs of the build: the program itself.
program_targets=(Hollowmere)

# The start dialog's size and its "Exit" button's centre, in dialog units.
dialog_units_x=443
dialog_units_y=331
exit_centre_x=404.5
exit_centre_y=317
start_centre_x=52
start_centre_y=317

say() { echo "run.sh: $*"; }

wait_for_dialog() {
    local window=""
    for _ in $(seq $((timeout_seconds * 2))); do
        window=$(xdotool search --onlyvisible --name '^Hollowmere$' 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && break
        sleep 0.5
    done
    echo "$window"
}

# Clicks a button of the dialog at its centre in dialog units, scaled to the
# window's size; the window's outermost pixel on each side is its border.
click_button() {
    local window=$1 centre_x=$2 centre_y=$3 X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$window")"
    local point
    point=$(awk -v x="$X" -v y="$Y" -v w="$WIDTH" -v h="$HEIGHT" \
                -v ux="$dialog_units_x" -v uy="$dialog_units_y" -v cx="$centre_x" -v cy="$centre_y" \
                'BEGIN { printf "%d %d", x + 1 + cx * (w - 2) / ux, y + 1 + cy * (h - 2) / uy }')
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
}

wait_for_launcher_end() {
    local launcher=$1
    if ! timeout "$timeout_seconds" tail --pid="$launcher" -f /dev/null; then
        say "the launcher did not end"
        kill "$launcher" 2>/dev/null || true
        exit 1
    fi
}

# After "Start Game" the launcher ends and the game opens its own window.
play_game() {
    local tree=$1 launcher=$2 window=$3
    click_button "$window" "$start_centre_x" "$start_centre_y"
    say "pressed \"Start Game\""
    wait_for_launcher_end "$launcher"
    local game
    game=$(wait_for_dialog)
    if [ -z "$game" ]; then
        say "the game's window did not open"
        exit 1
    fi
    sleep "$game_settle_seconds"
    import -window "$game" "$game_screenshot"
    say "saved the game's window to ${game_screenshot#"$repo"/}"
    xdotool windowfocus "$game" key Escape
    say "pressed Escape"
    source "$repo/tools/wine-env.sh" "$tree"
    if ! timeout "$timeout_seconds" wineserver -w; then
        say "the game did not end"
        exit 1
    fi
    say "the game ended"
}

run_on_virtual_display() {
    local tree=$1 game=$2
    caught=$(mktemp -d)
    trap 'rm -rf "$caught"' EXIT
    # Wine hands web addresses to xdg-open; this one only notes them.
    printf '#!/bin/sh\necho "$*" >> "%s/opened"\n' "$caught" > "$caught/xdg-open"
    chmod +x "$caught/xdg-open"

    (cd "$tree" && PATH="$caught:$PATH" exec "$repo/tools/wine-run.sh" "$tree" "$tree/Hollowmere.exe") &
    local launcher=$!
    local window
    window=$(wait_for_dialog)
    if [ -z "$window" ]; then
        say "the start dialog did not open"
        kill "$launcher" 2>/dev/null || true
        exit 1
    fi
    sleep 1
    import -window "$window" "$screenshot"
    say "saved the start dialog to ${screenshot#"$repo"/}"

    if [ "$game" = 1 ]; then
        play_game "$tree" "$launcher" "$window"
        return
    fi
    click_button "$window" "$exit_centre_x" "$exit_centre_y"
    say "pressed \"Exit\""
    wait_for_launcher_end "$launcher"
    source "$repo/tools/wine-env.sh" "$tree"
    timeout "$timeout_seconds" wineserver -w || true

    if [ -s "$caught/opened" ]; then
        while read -r address; do say "the launcher opened $address"; done < "$caught/opened"
    elif [ -f "$tree/_Hollowmere.exe" ]; then
        say "the launcher opened no web page (it may have started _Hollowmere.exe)"
    else
        say "the launcher opened nothing"
    fi
}

if [ "${1:-}" = --on-virtual-display ]; then
    run_on_virtual_display "$2" "$3"
    exit 0
fi

game=0
program=Hollowmere.exe
if [ "${1:-}" = --game ]; then
    game=1
    program=_Hollowmere.exe
    program_targets+=(_Hollowmere)
fi

if timeout 20 /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    bash "$repo/tools/build.sh" i686 "${program_targets[@]}"
    tree=$repo/build
    say "starting the 32-bit program build/$program"
else
    say "this machine cannot execute 32-bit programs; starting the 64-bit build build/x64/$program"
    bash "$repo/tools/build.sh" x86_64 "${program_targets[@]}"
    tree=$repo/build/x64
fi
bash "$repo/tools/wine-prefix.sh" "$tree"
bash "$repo/tools/demo-data.sh" "$tree"

if [ -n "${DISPLAY:-}" ]; then
    cd "$tree"
    exec "$repo/tools/wine-run.sh" "$tree" "$tree/$program"
fi
say "no display: running on a virtual one"
exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --on-virtual-display "$tree" "$game"
