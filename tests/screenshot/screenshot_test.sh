#!/usr/bin/env bash
# Starts the real program under Xvfb on the demo folder in a 1280 x 800 window and saves PNG
# pictures of the thumbnail view in sizes S, M and L and with a rubber band being dragged, of the
# preview (fitted, at 300 % and with the information panel open) and of the report view, in
# <build>/screenshots. Fails when the window does not get its size or the grid stays blank.
# Usage: screenshot_test.sh <program folder> <output folder>
set -euo pipefail

program_dir=$1
out_dir=$2
for tool in xvfb-run xdotool import convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done
demo="$program_dir/Demo/DCIM/100_VIST"
[[ -d $demo ]] || { echo "FAIL: no demo folder at $demo"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out_dir" "$work/config/KAVORINE/VistrelViewer/5.0" "$work/runtime"
chmod 700 "$work/runtime"
# Window at the screen's corner, folder tree shown, thumbnails in size S.
cat > "$work/config/KAVORINE/VistrelViewer/5.0/settings.reg" <<'REG'
VistrelViewer settings 1

[]
"BootTimes"=dword:00000001

[CurrentSettings]
"WindowPosX"=dword:00000000
"WindowPosY"=dword:00000000
"WindowWidth"=dword:00000500
"WindowHeight"=dword:00000320
"WindowLWidth"=dword:00000104
"ThumbnailSize"=dword:00000000
"ViewMode"=dword:00000000
"PMMode"=dword:00000000
"MenuPanel"=dword:00000000
REG

cat > "$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
program_dir=$1; demo=$2; out_dir=$3
# The real X11 platform, whatever the caller chose for the widget tests.
QT_QPA_PLATFORM=xcb "$program_dir/VistrelViewer" "$demo" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^VistrelViewer( [^ ]+)? - ' | head -1 || true)
[[ -n $window ]] || { echo "FAIL: the window did not appear"; exit 1; }
sleep 3 # thumbnails arrive from the background loader

geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
echo "window geometry: $geometry"
[[ $geometry == 1280x800 ]] || { echo "FAIL: window is $geometry, not 1280x800"; exit 1; }

shoot() {
  sleep 1.5
  import -window "$window" "$out_dir/$1.png"
}
xdotool mousemove 900 790 click 1 2>/dev/null || true # the status bar: focus without selecting
xdotool windowfocus "$window" 2>/dev/null || true
xdotool key ctrl+1; shoot thumbnails-s
xdotool key ctrl+2; shoot thumbnails-m
xdotool key ctrl+3; shoot thumbnails-l

# A band from the empty right part of the grid (two L columns fit) over the first cells.
xdotool mousemove 1100 300 mousedown 1
for step in 1 2 3 4 5 6; do xdotool mousemove $((1100 - step * 90)) $((300 + step * 40)); sleep 0.1; done
shoot rubber-band
xdotool mouseup 1
shoot band-selection

# The preview: a double click on the first picture (size L: its cell's centre), fitted.
xdotool mousemove 427 280 click --repeat 2 --delay 80 1
shoot preview-fit
# 300 %: the picture area takes the keys after a click.
xdotool mousemove 700 300 click 1 key plus key plus
shoot preview-300
xdotool key minus key minus
# The information panel: the "Info" button, first of the control panel centred under the picture.
xdotool mousemove 499 617 click 1
shoot preview-info
xdotool mousemove 499 530 click 1
# The report view of the folder, sorted by date with a click on its title.
xdotool key ctrl+5
sleep 1
xdotool mousemove 560 93 click 1
shoot report
xdotool key ctrl+q
wait $pid || true
SESSION
chmod +x "$work/session.sh"

XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" HOME="$work" \
  xvfb-run -a -s "-screen 0 1600x1000x24" "$work/session.sh" "$program_dir" "$demo" "$out_dir"

# The grid (right of the 260-pixel left panel, below the bars) must show pictures: many colours.
status=0
for shot in thumbnails-s thumbnails-m thumbnails-l rubber-band band-selection preview-fit preview-300 \
            preview-info report; do
  file="$out_dir/$shot.png"
  [[ -f $file ]] || { echo "FAIL: $shot.png was not saved"; status=1; continue; }
  colours=$(convert "$file" -crop 860x500+270+150 +repage -colors 256 -unique-colors -format '%w' info:)
  echo "$shot.png: $colours colours in the grid"
  (( colours >= 64 )) || { echo "FAIL: the grid of $shot.png is blank"; status=1; }
done
exit $status
