#!/usr/bin/env bash
# The demo in play, the Linux build beside the Windows build under Wine, in
# one X server (Xvfb with openbox) at the same scale, RUNS times each:
#   - frame interval: the mean over 1800 frames of play, from the times the
#     player wrote a screenshot at the start and at the end of them;
#   - CPU: user and system seconds a second of the whole run (for Wine, the
#     program and the wineserver);
#   - start to first frame: from the launch to the first screenshot, less the
#     time the software-renderer message box stood on screen (it waits for a
#     click, which a machine with a graphics driver never shows).
#
#   bench/wine_play.sh LINUX_BUILD WINDOWS_BUILD [RUNS]
# Uses WINDOWS_BUILD/wine as the Wine prefix (made by scripts/test-windows).
set -uo pipefail

linux_build=$(cd "${1:?usage: $0 LINUX_BUILD WINDOWS_BUILD [RUNS]}" && pwd)
windows_build=$(cd "${2:?usage: $0 LINUX_BUILD WINDOWS_BUILD [RUNS]}" && pwd)
runs=${3:-3}
export WINEPREFIX="$windows_build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export SDL_AUDIODRIVER=dummy OMBREL_RANDOM_SEED=7
unset SDL_VIDEODRIVER
[ -d "$WINEPREFIX" ] || { echo "no Wine prefix $WINEPREFIX: run scripts/test-windows first" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid="" manager_pid=""
cleanup() {
  [ -n "$manager_pid" ] && kill "$manager_pid" 2> /dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null
  timeout 20 wineserver -k 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3> "$work/display" > /dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"
openbox > /dev/null 2>&1 &
manager_pid=$!
sleep 1
timeout 20 wineserver -p 60

cat > "$work/play.txt" << 'EOF'
3 screenshot first.png
5 press Right Ctrl
120 screenshot start.png
1920 screenshot end.png
1925 press Escape
1935 press Escape
2000 end
EOF

now() { date +%s.%N; }
mtime() { stat -c %.9Y "$1"; }
# The CPU seconds (user and system) of a process so far.
cpu_of() { awk -v tick="$(getconf CLK_TCK)" '{ print ($14 + $15) / tick }' "/proc/$1/stat" 2> /dev/null || echo 0; }

# run_one NAME SCRIPT PROGRAM...: prints "first_ms interval_ms cpu_per_s";
# SCRIPT is the play script's path as the program names files.
run_one() {
  local name=$1 script=$2
  shift 2
  rm -f "$work"/*.png
  local server before=0 start box_seen="" box_gone="" pid box
  server=$(pgrep -n -x wineserver || true)
  [ -n "$server" ] && before=$(cpu_of "$server")
  start=$(now)
  ZORAX_SCRIPT="$script" /usr/bin/time -f "%e %U %S" -o "$work/time" \
    timeout -k 5 120 "$@" --scale 2 > "$work/$name.log" 2>&1 &
  pid=$!
  while kill -0 "$pid" 2> /dev/null; do
    box=$(timeout 5 xwininfo -root -tree -int 2> /dev/null |
      awk '/"!!OpenGL Software Emulation!!":/ { print $1; exit }')
    if [ -n "$box" ]; then
      [ -n "$box_seen" ] || box_seen=$(now)
      timeout 5 xdotool windowactivate --sync "$box" key Return 2> /dev/null
    elif [ -n "$box_seen" ] && [ -z "$box_gone" ]; then
      box_gone=$(now)
    fi
    sleep 0.05
  done
  wait "$pid"
  [ -f "$work/end.png" ] || { echo "$name: no end screenshot: $(tail -3 "$work/$name.log")" >&2; return 1; }
  local after=0
  [ -n "$server" ] && after=$(cpu_of "$server")
  read -r elapsed user system < "$work/time"
  awk -v start="$start" -v first="$(mtime "$work/first.png")" -v seen="${box_seen:-0}" \
      -v gone="${box_gone:-0}" -v a="$(mtime "$work/start.png")" -v b="$(mtime "$work/end.png")" \
      -v cpu="$(awk -v u="$user" -v s="$system" -v w0="$before" -v w1="$after" \
                'BEGIN { print u + s + w1 - w0 }')" -v elapsed="$elapsed" \
      'BEGIN { printf "%.0f %.3f %.3f\n", (first - start - (gone - seen)) * 1000,
               (b - a) * 1000 / 1800, cpu / elapsed }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for run in $(seq "$runs"); do
  run_one linux "$work/play.txt" "$linux_build/bin/skylane" >> "$work/linux.txt"
  run_one windows "Z:$work/play.txt" wine "$windows_build/bin/skylane.exe" >> "$work/windows.txt"
done
for name in linux windows; do
  echo "$name (runs: $(tr '\n' ';' < "$work/$name.txt"))"
  echo "  start to first frame  median $(cut -d' ' -f1 "$work/$name.txt" | median) ms"
  echo "  frame interval        median $(cut -d' ' -f2 "$work/$name.txt" | median) ms (16.667 at 60 per second)"
  echo "  CPU                   median $(cut -d' ' -f3 "$work/$name.txt" | median) s a second"
done
awk 'NR == FNR { l[FNR] = $3; next } { r[FNR] = $3 / l[FNR] } END { for (i in r) print r[i] }' \
  "$work/linux.txt" "$work/windows.txt" | median | xargs printf "CPU, Windows under Wine to Linux: median ratio %.2f\n"
