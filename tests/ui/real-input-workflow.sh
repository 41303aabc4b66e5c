#!/usr/bin/env bash
# The artist's workflow in zenithra-studio.exe, driven only by X input events (xdotool) under Xvfb
# with a window manager (openbox), on real environments: start on an HDR and step Next, drag
# Output 01 onto Environment, type an exposure and commit it with Tab, reset it from the
# spinner's menu, Save twice (answering the overwrite question with No), Load and apply the
# first look. After each step the frame buffer's pixels are checked, and a screenshot is kept in
# <build>/artifacts/real-input/. Usage: real-input-workflow.sh <win64 build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
data=$(cd "$(dirname "$0")/../../data/environments" && pwd)
work=$build/real-input
shots=$build/artifacts/real-input
rm -rf "$work" "$shots"
mkdir -p "$work/hdr" "$shots"
# The HDR to start on, and the EXRs beside it that Next steps to.
oiiotool "$data/city.exr" -o "$work/hdr/city.hdr"
cp "$data/courtyard.exr" "$data/sunset.exr" "$work/hdr/"

pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2> /dev/null || true
  done
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1920x1040x24 3> "$work/display" 2> /dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
openbox > /dev/null 2>&1 &
pids+=($!)
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
(cd "$build/bin" && exec wine zenithra-studio.exe "$work/hdr/city.hdr") > "$work/studio.log" 2>&1 &
pids+=($!)

fail() {
  echo "real-input workflow: $*" >&2
  import -window root "$shots/failed.png" || true
  exit 1
}
window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
# The screen position of a point given in a window's client area.
at() {
  local info x y
  info=$(xwininfo -id "$(window "$1")")
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<< "$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<< "$info")
  echo $((x + $2)) $((y + $3))
}
click() { xdotool mousemove $(at "$1" "$2" "$3") click "${4:-1}"; }
# Mean grey and its spread over the left of the frame buffer's picture (the History window
# covers its right), once two readings a moment apart agree (the render has finished).
picture() {
  local id last="" now
  id=$(window "Frame Buffer \\(VFB\\)")
  for _ in $(seq 60); do
    now=$(import -window "$id" png:- |
      convert png:- -crop 360x200+40+45 +repage -colorspace gray -format "%[fx:mean] %[fx:standard_deviation]" info:)
    [ "$now" = "$last" ] && break
    last=$now
    sleep 0.5
  done
  echo "$now"
}
mean() { cut -d' ' -f1 <<< "$1"; }
# awk-checked condition on numbers, e.g. check "$a > $b + 0.05" "message"
check() { awk "BEGIN { exit !($1) }" || fail "$2 ($1)"; }
shot() { import -window root "$shots/$1.png"; }

# Places in the client areas, read from a screenshot of this layout: the material editor's main
# rollup and slot 1 rollup, the main window's Environment button, the overwrite question's No,
# and the History window's first variant and its Load button.
editor="Material Editor"
next=(340 277) output=(140 499) exposureField=(145 544) exposureSpinner=(203 544)
save=(87 427) load=(202 427) environment=(270 22) answerNo=(181 94)
firstLook=(392 150) applyLook=(202 328)

window "$editor" > /dev/null
start=$(picture)
shot 01-start-on-hdr
check "$(cut -d' ' -f2 <<< "$start") > 0.05" "the frame buffer shows no picture at the start"

click "$editor" "${next[@]}"
sleep 1
stepped=$(picture)
shot 02-next
check "$(mean "$stepped") < $(mean "$start") - 0.02 || $(mean "$stepped") > $(mean "$start") + 0.02" \
  "Next did not change the picture"

xdotool mousemove $(at "$editor" "${output[@]}") mousedown 1
for dx in 20 150 300 450; do
  xdotool mousemove_relative -- "$dx" -20
  sleep 0.2
done
xdotool mousemove $(at "Zenithra Studio" "${environment[@]}")
sleep 0.2
xdotool mouseup 1
sleep 1
dragged=$(picture)
shot 03-output-onto-environment
check "$(mean "$dragged") > $(mean "$stepped") - 0.01 && $(mean "$dragged") < $(mean "$stepped") + 0.01" \
  "slot 1 over Environment does not show the file as it is"

click "$editor" "${exposureField[@]}"
xdotool key End BackSpace BackSpace BackSpace BackSpace BackSpace
xdotool type -- "1.5"
xdotool key Tab
sleep 1
brighter=$(picture)
shot 04-exposure-typed-and-tab
check "$(mean "$brighter") > $(mean "$dragged") + 0.05" "an exposure of 1.5 committed with Tab is not brighter"

click "$editor" "${save[@]}"
sleep 1
shot 05-first-save

click "$editor" "${exposureSpinner[@]}" 3
sleep 0.5
xdotool mousemove_relative 40 10 click 1  # the menu's first entry
sleep 1
reset=$(picture)
shot 06-spinner-reset
check "$(mean "$reset") > $(mean "$dragged") - 0.01 && $(mean "$reset") < $(mean "$dragged") + 0.01" \
  "the reset did not bring the picture back"

click "$editor" "${save[@]}"
window "HDR Lighting History" > /dev/null
sleep 0.5
shot 07-overwrite-question
click "HDR Lighting History" "${answerNo[@]}"
sleep 1

click "$editor" "${load[@]}"
sleep 2
window "HDR Lighting History" > /dev/null
click "HDR Lighting History" "${firstLook[@]}"
sleep 0.5
shot 08-history-two-looks
click "HDR Lighting History" "${applyLook[@]}"
sleep 1
applied=$(picture)
shot 09-first-look-applied
check "$(mean "$applied") > $(mean "$brighter") - 0.01 && $(mean "$applied") < $(mean "$brighter") + 0.01" \
  "the applied look does not show its exposure"
echo "real-input workflow passed: $(ls "$shots" | wc -l) screenshots in $shots"
