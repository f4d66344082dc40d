#!/usr/bin/env bash
# Takes the screenshots in docs/ as a user sees the windows on a desktop: on a virtual X display
# with a window manager, so every window has its frame and title bar. Takes the main window, then
# loads the example image (and its table definitions) through the File menu and takes the table
# editor, the text view and the graph view. Prints each visible window's title bar text.
#   scripts/screenshots.sh [BINARY] [OUT_FOLDER]     (defaults: a Release build, docs/)
# SCREEN=WxHxD picks the screen (1600x1000x24), DISPLAY_NUMBER the display (91).
# Needs: xvfb openbox xdotool imagemagick x11-utils.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=${1:-build/release/src/quorvel}
out=${2:-docs}
display=:${DISPLAY_NUMBER:-91}
export DISPLAY=$display

# A path that reads well in the main window's caption.
demo=/tmp/quorvel-demo
mkdir -p "$demo" "$out"
cp examples/demo.bin examples/demo.ecu "$demo"/
# A "stock" image to compare with: four fuel-map entries differ.
cp examples/demo.bin "$demo"/stock.bin
for at in 0x112 0x123 0x134 0x145; do
  printf '\x10' | dd of="$demo"/stock.bin bs=1 seek=$((at)) conv=notrunc status=none
done

pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; }
trap cleanup EXIT

Xvfb "$display" -screen 0 "${SCREEN:-1600x1000x24}" -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 1
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
"$bin" >/dev/null 2>&1 &
pids+=($!)

window() { xdotool search --sync --onlyvisible --name "$1" | head -n 1; }

# Clicks a point of a window's client area, the main window's measured below its menu bar.
click() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
  sleep 0.3
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 1
}

# Saves a window with its frame: the client area grown by the frame extents the manager set.
shoot() {
  local id=$1 file=$2 x y w h left right top bottom
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  sleep 0.5
  read -r X Y WIDTH HEIGHT < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x = $NF}
    /Absolute upper-left Y/ {y = $NF} /Width:/ {w = $NF} /Height:/ {h = $NF}
    END {print x, y, w, h}')
  read -r left right top bottom < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  x=$((X - left)) y=$((Y - top)) w=$((WIDTH + left + right)) h=$((HEIGHT + top + bottom))
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$file"
  echo "$out/$file: ${w}x${h} at ${x},${y}"
}

main=$(window '^Quorvel Map Editor')
sleep 1
# Before a load: the caption with a path is wider than the fixed-size window's title bar.
shoot "$main" main-window.png

# File > Load, the example image, and Yes to its table definitions.
xdotool windowactivate --sync "$main"
xdotool key alt+f l
sleep 1.5
xdotool type --delay 20 "$demo/demo.bin"
xdotool key Return
sleep 1.5
xdotool key Return
sleep 1.5

client_height=$(xwininfo -id "$main" | awk '/Height:/ {print $NF}')
buttons=$((client_height - 233 + 188))  # the row of view toggles, below the menu bar

shoot "$(window '^Table Editor$')" table-editor.png

# Tools > Compare With…, the stock image.
xdotool windowactivate --sync "$main"
xdotool key alt+t
sleep 0.5
xdotool key Down Return
sleep 1.5
xdotool type --delay 20 "$demo/stock.bin"
xdotool key Return
sleep 1.5
click "$main" 284 "$buttons"  # hide the table editor
click "$main" 60 "$buttons"   # show the text view
text=$(window '^TextEdit$')
click "$text" 130 16          # Raw (Hexadecimal)
click "$text" 150 90          # a cell in the fourth row and column
xdotool key plus plus Right   # change it, then move on so it shows as changed
sleep 0.5
click "$text" 300 140         # a block: from a cell in the sixth row …
xdotool keydown shift
click "$text" 430 210         # … to one four rows lower and three columns right
xdotool keyup shift
xdotool mousemove --window "$text" 500 330
sleep 0.5
shoot "$text" text-view.png
click "$main" 174 "$buttons"  # show the graph view
shoot "$(window '^GraphEdit$')" graph-view.png

# Tools > Find Tables… (the menu's last item), then a candidate's tooltip.
xdotool windowactivate --sync "$main"
xdotool key alt+t
sleep 0.5
xdotool key Up Return
sleep 2
finder=$(window '^Find Tables$')
xdotool mousemove --window "$finder" 60 70
sleep 1.5
shoot "$finder" table-finder.png

for id in $(xdotool search --onlyvisible --name '.'); do
  xprop -id "$id" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/title: \1/p'
done
