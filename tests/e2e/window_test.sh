#!/usr/bin/env bash
# The window program as a person meets it: a real window in an X server of
# its own (Xvfb), driven with keys and checked on screenshots.
# Usage: window_test.sh PROGRAM CASE   (the cases are at the end)
# Exits 0 on success, 1 on failure, 77 when the X tools are missing.
set -uo pipefail

PROGRAM=$(realpath "$1")
CASE=$2
# Extra NAME=VALUE words for the program's environment alone (the sanitizer
# build keeps the display libraries it unloads resident through these).
PROGRAM_ENV=${VEXLORA_PROGRAM_ENV:-}
# A command that runs the program as another user, when a case needs one.
DROP=()
TITLE='^Vexlora v1\.0$'

for tool in Xvfb xdotool xwininfo xprop import convert compare identify od awk timeout; do
  if ! command -v "$tool" > /dev/null; then
    echo "SKIP: $tool is missing (scripts/install-deps.sh installs it)"
    # In CI the tools are installed by the test command: missing is a failure.
    [ -n "${CI:-}" ] && exit 1
    exit 77
  fi
done

WORK=$(mktemp -d)
RUN=$WORK/run
mkdir -p "$RUN"
XVFB_PID=""
APP_PID=""
APP_STATUS=""

cleanup() {
  if [ -n "$APP_PID" ]; then kill -9 "$APP_PID" 2> /dev/null; wait "$APP_PID" 2> /dev/null; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2> /dev/null; wait "$XVFB_PID" 2> /dev/null; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL ($CASE): $*" >&2
  if [ -f "$WORK/err" ]; then
    echo "--- stderr of the program:" >&2
    cat "$WORK/err" >&2
  fi
  exit 1
}

# ---- the X server ---------------------------------------------------------

# Xvfb picks a free display number itself and writes it to fd 3 once ready.
# -noreset: by default the server resets when its last client leaves (our
# readiness probe) and turns away whoever connects meanwhile, which now and
# then was the program or its message box.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3> "$WORK/display" 2> "$WORK/xvfb.err" &
  XVFB_PID=$!
  local i
  for ((i = 0; i < 100; i++)); do
    if [ -s "$WORK/display" ]; then
      export DISPLAY=":$(head -n1 "$WORK/display")"
      # Under load the server can name its display before a client gets in.
      for ((i = 0; i < 50; i++)); do
        xwininfo -root > /dev/null 2>&1 && return 0
        sleep 0.1
      done
      fail "Xvfb on $DISPLAY takes no connection"
    fi
    kill -0 "$XVFB_PID" 2> /dev/null || break
    sleep 0.1
  done
  cat "$WORK/xvfb.err" >&2
  fail "Xvfb did not start"
}

# ---- the program -------------------------------------------------------------

# params.ini: the project's default with some values replaced, e.g.
# write_params CritterCount=10 FungusCount=20
write_params() {
  local text
  text=$(cat "$VEXLORA_SOURCE_DIR/params.ini") || fail "no default params.ini"
  local pair
  for pair in "$@"; do
    local label=${pair%%=*} value=${pair#*=}
    text=$(printf '%s\n' "$text" | awk -v l="$label" -v v="$value" '$1 == l { $2 = v } { print }')
  done
  printf '%s\n' "$text" > "$RUN/params.ini"
}

start_app() {
  : > "$WORK/err"
  (cd "$RUN" && exec "${DROP[@]}" env $PROGRAM_ENV SDL_VIDEODRIVER=x11 "$PROGRAM" "$@") > "$WORK/out" 2> "$WORK/err" &
  APP_PID=$!
  APP_STATUS=""
}

# Waits for the program to end, at most $1 seconds; sets APP_STATUS.
wait_exit() {
  local limit=$1 i
  for ((i = 0; i < limit * 20; i++)); do
    local state
    state=$(awk '{ print $3 }' "/proc/$APP_PID/stat" 2> /dev/null)
    if [ -z "$state" ] || [ "$state" = Z ]; then
      wait "$APP_PID"
      APP_STATUS=$?
      APP_PID=""
      return 0
    fi
    sleep 0.05
  done
  fail "the program did not end within $limit s"
}

find_window() {
  local i
  W=""
  for ((i = 0; i < 100; i++)); do
    W=$(timeout 5 xdotool search --onlyvisible --name "$TITLE" 2> /dev/null | head -n1)
    [ -n "$W" ] && return 0
    kill -0 "$APP_PID" 2> /dev/null || fail "the program ended before its window appeared"
    sleep 0.1
  done
  fail "no window titled 'Vexlora v1.0' within 10 s"
}

# Nothing of the program left on the screen: no main window, no message box.
expect_no_windows() {
  local tree
  tree=$(xwininfo -root -tree)
  if grep -q '"Vexlora v1.0"' <<< "$tree"; then fail "the window is still there"; fi
  if grep -q '"Error"' <<< "$tree"; then fail "a message box is still there"; fi
}

# A message box (SDL draws it in a process of its own, so only the window
# tree shows it): wait for it, at most 10 s, and answer it with Return.
dismiss_box() {
  local caption=$1 i box=""
  for ((i = 0; i < 100; i++)); do
    box=$(xwininfo -root -tree | awk -v c="\"$caption\":" '$2 == c { print $1; exit }')
    [ -n "$box" ] && break
    kill -0 "$APP_PID" 2> /dev/null || break
    sleep 0.1
  done
  [ -n "$box" ] || fail "no message box captioned $caption appeared"
  xdotool key --window "$box" Return 2> /dev/null
}

expect_stderr() {
  grep -qF -- "$1" "$WORK/err" || fail "stderr lacks: $1"
}

# ---- screenshots ------------------------------------------------------------

# Takes a screenshot of the window into $SHOT and lists its pixels that are
# not white, one "x y r g b" a line, into $SHOT.txt.
shot() {
  SHOT=$WORK/shot-$((++SHOTS)).png
  import -window "$W" "$SHOT" 2> /dev/null || fail "screenshot failed"
  convert "$SHOT" -alpha off -transparent white sparse-color:- | tr ' ' '\n' |
    awk -F '[,()]' 'NF { print $1, $2, $4, $5, $6 }' > "$SHOT.txt"
}
SHOTS=0

# Pixels of colour "r g b" in the box x0..x1, y0..y1 of the last screenshot.
count() {
  awk -v c="$1" -v x0="$2" -v y0="$3" -v x1="$4" -v y1="$5" \
    '$3 " " $4 " " $5 == c && $1 >= x0 && $1 <= x1 && $2 >= y0 && $2 <= y1 { n++ } END { print n + 0 }' \
    "$SHOT.txt"
}

GREEN="0 150 0"
RED="255 0 0"
BLUE="0 0 255"
BLACK="0 0 0"

# The central block's outline: 170 pixels a side, 171..340.
block_pixels() {
  awk -v c="$GREEN" '$3 " " $4 " " $5 == c &&
    ((($1 == 171 || $1 == 340) && $2 >= 171 && $2 <= 340) || (($2 == 171 || $2 == 340) && $1 >= 171 && $1 <= 340)) { n++ }
    END { print n + 0 }' "$SHOT.txt"
}

is_arena() { [ "$(block_pixels)" -ge 600 ]; }

# The statistics panel: the blue average and red best graphs rising from the
# bottom-left corner, and no block.
is_stats() {
  [ "$(block_pixels)" -lt 10 ] && [ "$(count "$BLUE" 0 256 255 511)" -ge 5 ] && [ "$(count "$RED" 0 256 255 511)" -ge 5 ]
}

# Any statistics panel, even one whose graphs lie flat on the bottom row
# (the red best graph then covers the blue one): no block, some red below.
is_panel() {
  [ "$(block_pixels)" -lt 10 ] && [ "$(count "$RED" 0 256 511 511)" -ge 5 ]
}

# Screenshots until CHECK holds, at most $1 seconds.
wait_for() {
  local limit=$1 check=$2 i
  for ((i = 0; i < limit * 10; i++)); do
    shot
    $check && return 0
    kill -0 "$APP_PID" 2> /dev/null || fail "the program ended while waiting for $check"
    sleep 0.1
  done
  keep_shot "failed-$CASE-$check"
  fail "$check did not hold within $limit s (VEXLORA_E2E_SHOTS=DIR keeps the last screenshot)"
}

keep_shot() {
  if [ -n "${VEXLORA_E2E_SHOTS:-}" ]; then
    mkdir -p "$VEXLORA_E2E_SHOTS"
    cp "$SHOT" "$VEXLORA_E2E_SHOTS/$1.png"
  fi
}

# ---- the cases ------------------------------------------------------------------

case_arena_and_keys() {
  start_xvfb
  write_params TicksPerGeneration=50 CritterCount=10 FungusCount=20 FrameRate=60
  start_app
  find_window

  local info
  info=$(xwininfo -id "$W")
  grep -q 'Width: 512$' <<< "$info" || fail "client width is not 512: $info"
  grep -q 'Height: 512$' <<< "$info" || fail "client height is not 512: $info"
  # Centred on the 1024 x 768 screen.
  grep -q 'Absolute upper-left X:  256$' <<< "$info" || fail "not centred horizontally: $info"
  grep -q 'Absolute upper-left Y:  128$' <<< "$info" || fail "not centred vertically: $info"
  local hints
  hints=$(xwininfo -id "$W" -size)
  grep -q 'minimum size: 512 by 512' <<< "$hints" || fail "no minimum size of 512 x 512: $hints"
  grep -q 'maximum size: 512 by 512' <<< "$hints" || fail "no maximum size of 512 x 512 (resizable?): $hints"
  xprop -id "$W" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "the window has no 32 x 32 icon"

  # The arena: the block, fungi (green squares away from the block), red
  # elite critters and black ones below the header line.
  wait_for 10 is_arena
  keep_shot arena
  local fungus red black
  fungus=$(awk -v c="$GREEN" '$3 " " $4 " " $5 == c && ($1 < 169 || $1 > 342 || $2 < 169 || $2 > 342) { n++ } END { print n + 0 }' "$SHOT.txt")
  red=$(count "$RED" 0 0 511 511)
  black=$(count "$BLACK" 0 24 511 511)
  [ "$fungus" -ge 100 ] || fail "too few fungus pixels ($fungus) in $SHOT"
  [ "$red" -ge 20 ] || fail "too few red critter pixels ($red) in $SHOT"
  [ "$black" -ge 40 ] || fail "too few black critter pixels ($black) in $SHOT"
  [ "$(count "$BLACK" 0 0 200 18)" -ge 20 ] || fail "no header text in $SHOT"

  # Only the release of a key acts.
  xdotool keydown --window "$W" f
  sleep 0.3
  shot
  is_arena || fail "fast mode started on a key press, before the release"
  xdotool keyup --window "$W" f
  wait_for 15 is_stats
  keep_shot stats

  # Back to the arena.
  xdotool key --window "$W" f
  wait_for 10 is_arena

  # Shift+F counts as F.
  xdotool key --window "$W" shift+f
  wait_for 15 is_stats
  xdotool key --window "$W" f
  wait_for 10 is_arena

  # Escape ends the run cleanly.
  xdotool key --window "$W" Escape
  wait_exit 10
  [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after Escape"
  expect_no_windows
  expect_log_complete
  cp "$RUN/Dbg.Log" "$WORK/first.log"

  # A second run keeps the first log as Dbg1.Log; a quit from outside
  # (SIGTERM) ends it as cleanly as Escape.
  start_app
  find_window
  kill -TERM "$APP_PID"
  wait_exit 10
  [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after SIGTERM"
  cmp -s "$WORK/first.log" "$RUN/Dbg1.Log" || fail "Dbg1.Log is not the first run's log"
  expect_log_complete
  expect_no_windows
}

# CPU time (user + system) the program has used, all its threads, in clock ticks.
cpu_ticks() {
  awk '{ printf "%.0f\n", $14 + $15 }' "/proc/$APP_PID/stat"
}

# Nanoseconds the program's main thread has been running or ready to run.
# A loop that spins is one or the other all the time, however loaded the
# machine, where its CPU time shrinks with the share the machine gives it.
runnable_ns() {
  awk '{ printf "%.0f\n", $1 + $2 }' "/proc/$APP_PID/schedstat"
}

now_ns() { date +%s%N; }

# Between frames the window waits rather than spins: in arena view it keeps
# well under a core busy (a spinning loop takes all of one), the display
# ticks still come FrameRate times a second, and a key or an exposure is
# answered at once even when the next frame is a second away.
case_at_rest() {
  start_xvfb
  # A generation every second tick, so that the generations reported on
  # exit count the ticks.
  write_params TicksPerGeneration=1 CritterCount=10 FungusCount=20 FrameRate=60
  PROGRAM_ENV="$PROGRAM_ENV VEXLORA_REPORT_GENERATIONS=1"
  start_app
  find_window
  wait_for 10 is_arena
  local t0 c0 r0 t1 c1 r1
  t0=$(now_ns)
  c0=$(cpu_ticks)
  r0=$(runnable_ns)
  sleep 3
  r1=$(runnable_ns)
  c1=$(cpu_ticks)
  t1=$(now_ns)
  [[ "$c0 $c1 $r0 $r1" =~ ^[0-9]+\ [0-9]+\ [0-9]+\ [0-9]+$ ]] || fail "no CPU or scheduler figures for the program"
  local share runnable
  share=$(awk -v c="$((c1 - c0))" -v hz="$(getconf CLK_TCK)" -v ns="$((t1 - t0))" \
    'BEGIN { printf "%.0f", 100 * (c / hz) / (ns / 1e9) }')
  runnable=$(((r1 - r0) * 100 / (t1 - t0)))
  xdotool key --window "$W" Escape
  wait_exit 10
  [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after Escape"
  local rate
  rate=$(awk -F '[ ,]+' '/^generations: / { printf "%.1f", 2 * $2 / $4 }' "$WORK/err")
  echo "arena view over 3 s: ${share}% of a core, main thread running or ready ${runnable}% of the time;" \
    "$rate ticks a second at FrameRate 60"
  # Generous for a loaded machine; a loop that spins takes a whole core, or
  # is ready to run all the time when the machine gives it less.
  [ "$share" -lt 50 ] || fail "the window keeps ${share}% of a core busy in arena view"
  [ "$runnable" -lt 60 ] || fail "the window's main thread is running or ready ${runnable}% of the time in arena view"
  [ -n "$rate" ] || fail "no generation report on stderr"
  # Never more than the rate. Fewer on a busy machine, but a rest that slept
  # through its frame would halve them.
  awk -v r="$rate" 'BEGIN { exit !(r >= 40 && r <= 60.5) }' || fail "$rate display ticks a second, not 60"

  # One frame a second: the window has just appeared, so its first frame is
  # most of a second away when Escape comes. A loop that only looked at its
  # events at frames would take that long; a busy machine can slow any one
  # run, so the middle of three counts.
  write_params TicksPerGeneration=50 CritterCount=10 FungusCount=20 FrameRate=1
  local run i times=()
  for run in 1 2 3; do
    start_app
    find_window
    xdotool key --window "$W" Escape
    t0=$(now_ns)
    for ((i = 0; i < 200; i++)); do
      grep -q '"Vexlora v1.0"' <<< "$(xwininfo -root -tree)" || break
      sleep 0.01
    done
    t1=$(now_ns)
    times+=($(((t1 - t0) / 1000000)))
    wait_exit 10
    [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after Escape"
  done
  local middle
  middle=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 2p)
  echo "Escape answered in ${times[*]} ms at FrameRate 1"
  [ "$middle" -lt 600 ] || fail "the window took ${times[*]} ms to close after Escape, waiting for a frame"

  # An uncovered window gets its picture back at once, not at the next frame.
  start_app
  find_window
  wait_for 10 is_arena
  xdotool windowunmap --sync "$W" 2> /dev/null || fail "cannot unmap the window"
  xdotool windowmap --sync "$W" 2> /dev/null || fail "cannot map the window"
  t0=$(now_ns)
  until shot && is_arena; do
    [ $(($(now_ns) - t0)) -lt 600000000 ] || fail "the arena was not back within 0.6 s of uncovering the window"
  done
  echo "arena back $((($(now_ns) - t0) / 1000000)) ms after uncovering the window at FrameRate 1"
  xdotool key --window "$W" Escape
  wait_exit 10
  [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after Escape"
}

expect_log_complete() {
  [ -f "$RUN/Dbg.Log" ] || fail "no Dbg.Log"
  head -n1 "$RUN/Dbg.Log" | grep -q '^Debug log' || fail "Dbg.Log lacks its header"
  tail -n1 "$RUN/Dbg.Log" | grep -q '^Goodbye' || fail "Dbg.Log lacks its footer"
}

# An uncovered window gets its picture back even when nothing new is drawn:
# in fast mode with a generation far longer than the test, the arena drawn
# before fast mode stays up and must come back after an unmap and map.
case_exposure() {
  start_xvfb
  write_params TicksPerGeneration=100000000 CritterCount=10 FungusCount=20
  start_app
  find_window
  wait_for 10 is_arena
  xdotool key --window "$W" f
  sleep 0.2
  xdotool windowunmap --sync "$W" 2> /dev/null || fail "cannot unmap the window"
  xdotool windowmap --sync "$W" 2> /dev/null || fail "cannot map the window"
  wait_for 5 is_arena
  xdotool key --window "$W" Escape
  wait_exit 10
  [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after Escape"
}

# Signs of the sensor line below the header text: black pixels touching the
# red elite critter (the line starts at its centre, drawn over it), or black
# inside a fungus (green 5 x 5 outline, found by three of its corners; the
# line ends next to its target's centre). Prints how many signs it found.
sensor_signs() {
  awk -v g="$GREEN" -v r="$RED" -v k="$BLACK" '
    $2 >= 20 { c = $3 " " $4 " " $5; if (c == g) green[$1, $2] = 1; else if (c == r) red[$1, $2] = 1; else if (c == k) black[$1, $2] = 1 }
    END {
      for (p in black) {
        split(p, xy, SUBSEP); x = xy[1]; y = xy[2]
        for (dx = -1; dx <= 1; dx++) for (dy = -1; dy <= 1; dy++) if (((x + dx) SUBSEP (y + dy)) in red) { n++; dx = 2; dy = 2 }
      }
      for (p in green) {
        split(p, xy, SUBSEP); x = xy[1]; y = xy[2]   # p as the top-left corner
        corners = 1 + (((x + 4) SUBSEP y) in green) + ((x SUBSEP (y + 4)) in green) + (((x + 4) SUBSEP (y + 4)) in green)
        if (corners < 3) continue
        for (dx = 0; dx <= 4; dx++) for (dy = 0; dy <= 4; dy++) if (((x + dx) SUBSEP (y + dy)) in black) { n++; dx = 5; dy = 5 }
      }
      print n + 0
    }' "$SHOT.txt"
}

# Of at most $1 screenshots, counts in SEEN those with signs of the sensor
# line; stops at $2 such screenshots.
count_sensor_line() {
  local frames=$1 enough=$2 label=$3 i
  SEEN=0
  for ((i = 0; i < frames && SEEN < enough; i++)); do
    shot
    if [ "$(sensor_signs)" -gt 0 ]; then
      SEEN=$((SEEN + 1))
      keep_shot "$label-line-$i"
    else
      keep_shot "$label-no-line-$i"
    fi
  done
}

case_sensor_line() {
  start_xvfb
  # One red elite critter; the line runs from it to its target fungus in the
  # black pen of the other critter. A critter held against a wall has no
  # target, so generations are short (2 s) to give it new starts.
  write_params TicksPerGeneration=120 CritterCount=2 EliteCount=1 FungusCount=20 FrameRate=60
  start_app
  find_window
  wait_for 10 is_arena
  count_sensor_line 8 8 off
  local off=$SEEN
  xdotool key --window "$W" v
  count_sensor_line 40 3 on
  local on=$SEEN
  echo "screenshots with signs of a sensor line: $off of 8 without sensors, $on with (3 wanted)"
  [ "$on" -ge 3 ] || fail "signs of the sensor line in only $on of 40 screenshots"
  [ "$off" -le 1 ] || fail "signs of a sensor line in $off of 8 screenshots without sensors"
  xdotool key --window "$W" Escape
  wait_exit 10
  [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after Escape"
}

# A failure shown in a box: answered, then the program must be gone with a
# non-zero status and the message on stderr.
expect_failure_with_box() {
  local message=$1
  dismiss_box Error
  wait_exit 10
  [ "$APP_STATUS" -ne 0 ] || fail "status 0 after: $message"
  expect_stderr "Error: $message"
  expect_no_windows
}

case_missing_params() {
  start_xvfb
  start_app
  expect_failure_with_box "Cannot find ini file!"
  [ ! -e "$RUN/Dbg.Log" ] || fail "a log was started without parameters"
}

case_refused_param() {
  start_xvfb
  write_params CritterCount=0
  start_app
  expect_failure_with_box "Parameter CritterCount is 0"
}

case_tick_fails() {
  start_xvfb
  write_params InputCount=2 CritterCount=10 FungusCount=20
  start_app
  find_window
  expect_failure_with_box "Wrong amount of NN inputs!"
  expect_log_complete
}

case_no_display() {
  write_params
  local driver
  for driver in "" x11; do
    : > "$WORK/err"
    (cd "$RUN" && exec timeout 10 env -u DISPLAY -u WAYLAND_DISPLAY $PROGRAM_ENV SDL_VIDEODRIVER="$driver" "$PROGRAM") \
      > "$WORK/out" 2> "$WORK/err"
    local status=$?
    [ "$status" -ne 124 ] || fail "did not end at once without a display (SDL_VIDEODRIVER='$driver')"
    [ "$status" -ne 0 ] || fail "status 0 without a display"
    [ "$(wc -l < "$WORK/err")" -eq 1 ] || fail "not one line on stderr without a display"
    expect_stderr "vexlora-evolve"
    [ ! -e "$RUN/Dbg.Log" ] || fail "a log was started without a display"
  done
}

case_display_unreachable() {
  write_params
  # A display number nobody serves.
  local n=731
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  : > "$WORK/err"
  (cd "$RUN" && exec timeout 10 env DISPLAY=":$n" $PROGRAM_ENV SDL_VIDEODRIVER=x11 "$PROGRAM") > "$WORK/out" 2> "$WORK/err"
  local status=$?
  [ "$status" -ne 124 ] || fail "did not end at once with an unreachable display"
  [ "$status" -ne 0 ] || fail "status 0 with an unreachable display"
  expect_stderr "Error: Error Registering Class!"
  expect_stderr "cannot open the window"
}

# Weights that are NaN or infinite give critters with no position: the arena
# shows the block and the fungi, the sensor line and fast mode work, and the
# run ends cleanly. Under the sanitizers any undefined conversion fails it.
case_nan_weights() {
  start_xvfb
  write_params TicksPerGeneration=60 CritterCount=10 FungusCount=20 EliteCount=2
  local nan='\x00\x00\x00\x00\x00\x00\xf8\x7f' inf='\x00\x00\x00\x00\x00\x00\xf0\x7f'
  local minf='\x00\x00\x00\x00\x00\x00\xf0\xff' i
  for ((i = 0; i < 10 * 26; i++)); do
    case $((i % 3)) in
      0) printf "$nan" ;;
      1) printf "$inf" ;;
      2) printf "$minf" ;;
    esac
  done > "$RUN/AllWeights.bin"
  [ "$(stat -c %s "$RUN/AllWeights.bin")" -eq 2080 ] || fail "the weight file was not written whole"
  start_app
  find_window
  wait_for 10 is_arena
  xdotool key --window "$W" v
  sleep 1
  xdotool key --window "$W" f
  wait_for 15 is_panel
  sleep 1
  kill -0 "$APP_PID" 2> /dev/null || fail "the program ended in fast mode"
  xdotool key --window "$W" Escape
  wait_exit 10
  [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after Escape"
  expect_log_complete
}

# A params.ini that is no regular file is refused like a missing one, at
# once: a pipe must not hold up start-up. An empty one is refused by value.
case_params_not_a_file() {
  start_xvfb
  mkdir "$RUN/params.ini"
  start_app
  expect_failure_with_box "Cannot find ini file!"
  rmdir "$RUN/params.ini"
  mkfifo "$RUN/params.ini"
  start_app
  expect_failure_with_box "Cannot find ini file!"
  rm "$RUN/params.ini"
  : > "$RUN/params.ini"
  start_app
  expect_failure_with_box "Parameter FrameRate is 0 in params.ini; it must be 1 or more."
  [ ! -e "$RUN/Dbg.Log" ] || fail "a log was started without parameters"
}

# Starts the program in a working directory it cannot write and waits for the
# arena; as an ordinary user when run as root, since root writes anywhere.
start_in_unwritable_dir() {
  start_xvfb
  write_params TicksPerGeneration=60 CritterCount=10 FungusCount=20
  if [ "$(id -u)" -eq 0 ]; then
    cp "$PROGRAM" "$WORK/vexlora"
    chmod 755 "$WORK" "$WORK/vexlora"
    PROGRAM="$WORK/vexlora"
    DROP=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  chmod 555 "$RUN"
  start_app
  find_window
  wait_for 10 is_arena
}

# In a working directory it cannot write the program runs as usual, with the
# log off; run as an ordinary user, since root writes anywhere.
case_unwritable_dir() {
  start_in_unwritable_dir
  xdotool key --window "$W" f
  wait_for 15 is_panel
  xdotool key --window "$W" Escape
  wait_exit 10
  [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after Escape"
  [ "$(ls -A "$RUN")" = "params.ini" ] || fail "files appeared in the unwritable directory: $(ls -A "$RUN")"
  chmod 755 "$RUN"
}

# A picture file read like a screenshot: $SHOT and $SHOT.txt.
load_picture() {
  SHOT=$WORK/picture-$((++SHOTS)).png
  convert "$1" -alpha off "$SHOT" || fail "cannot read $1"
  convert "$SHOT" -transparent white sparse-color:- | tr ' ' '\n' |
    awk -F '[,()]' 'NF { print $1, $2, $4, $5, $6 }' > "$SHOT.txt"
}

# The file named in the last stderr line that holds $1, e.g. "saved ".
named_file() {
  grep -o "$1vexlora-[0-9]*-[0-9]*\(-[0-9]*\)\?\.$2" "$WORK/err" | tail -n1 | sed "s/^$1//"
}

# Waits at most 10 s for a stderr line holding $1.
wait_stderr() {
  local i
  for ((i = 0; i < 100; i++)); do
    grep -qF -- "$1" "$WORK/err" && return 0
    sleep 0.1
  done
  fail "stderr lacks: $1"
}

# A whole GIF: it decodes, ends with the trailer, and its frames laid over
# each other show the arena, the middle one and the last.
expect_arena_movie() {
  local gif=$RUN/$1 min_frames=$2
  [ -f "$gif" ] || fail "no $1"
  [ "$(tail -c1 "$gif" | od -An -tx1 | tr -d ' ')" = 3b ] || fail "$1 does not end with the GIF trailer"
  # One delay a line, a line a frame.
  local delays frames
  delays=$(identify -format '%T\n' "$gif" 2> /dev/null)
  frames=$(printf '%s\n' "$delays" | grep -c .)
  [ "$frames" -ge "$min_frames" ] || fail "$1 has $frames frames, fewer than $min_frames"
  # Frames from the first on, laid over each other; the last of them kept.
  convert "$gif[0-$((frames / 2))]" -coalesce -delete 0--2 "$WORK/middle.png" || fail "cannot decode $1"
  convert "$gif" -coalesce -delete 0--2 "$WORK/last.png" || fail "cannot decode $1"
  load_picture "$WORK/middle.png"
  is_arena || fail "the middle frame of $1 shows no arena"
  load_picture "$WORK/last.png"
  is_arena || fail "the last frame of $1 shows no arena"
  FRAMES=$frames
  DELAYS=$(printf '%s\n' "$delays" | awk '{ s += $1 } END { print s + 0 }')
}

case_capture_keys() {
  start_xvfb
  # One generation outlasts the test: in fast mode the arena drawn before
  # stays up unchanged.
  write_params TicksPerGeneration=100000000 CritterCount=10 FungusCount=20 FrameRate=60
  start_app
  find_window
  wait_for 10 is_arena

  # S: the picture the window shows, pixel for pixel.
  xdotool key --window "$W" f
  sleep 0.3
  xdotool key --window "$W" s
  wait_stderr "vexlora: saved vexlora-"
  local png
  png=$(named_file "saved " png)
  [ -n "$png" ] && [ -f "$RUN/$png" ] || fail "no PNG named on stderr"
  shot
  local differing
  differing=$(compare -metric AE "$SHOT" "$RUN/$png" null: 2>&1)
  [ "$differing" = 0 ] || fail "$png differs from the window in $differing pixels"
  # Two more at once: one within the same second as the other gets -2.
  xdotool key --window "$W" s s
  local i
  for ((i = 0; i < 100 && $(grep -c 'vexlora: saved ' "$WORK/err") < 3; i++)); do sleep 0.1; done
  # The second and third lines name the two new files: each saved, each once.
  local names
  names=$(grep -o 'vexlora: saved vexlora-.*' "$WORK/err" | sed 's/^vexlora: saved //')
  [ "$(printf '%s\n' "$names" | grep -c .)" -eq 3 ] || fail "not three PNGs saved: $names"
  [ "$(printf '%s\n' "$names" | sort -u | wc -l)" -eq 3 ] || fail "a PNG name said twice: $names"
  [ "$(ls "$RUN" | grep -c '^vexlora-.*\.png$')" -eq 3 ] || fail "not three PNGs in the directory: $(ls "$RUN")"
  local second third
  second=$(printf '%s\n' "$names" | sed -n 2p)
  third=$(printf '%s\n' "$names" | sed -n 3p)
  [ -f "$RUN/$second" ] && [ -f "$RUN/$third" ] && [ "$second" != "$third" ] || fail "PNGs named alike: $second $third"
  if [ "${second:0:23}" = "${third:0:23}" ]; then
    [[ $third == *-2.png || $third == *-3.png ]] || fail "a PNG in the same second as another is $third"
  fi

  # R, two seconds of the running arena, R.
  xdotool key --window "$W" f
  wait_for 5 is_arena
  xdotool key --window "$W" r
  wait_stderr "vexlora: recording vexlora-"
  local start=$SECONDS
  sleep 2
  xdotool key --window "$W" r
  wait_stderr "vexlora: recorded vexlora-"
  local elapsed=$((SECONDS - start)) gif
  gif=$(named_file "recorded " gif)
  expect_arena_movie "$gif" 20
  # The delays add up to the time recorded (whole seconds here, so loosely).
  [ "$DELAYS" -ge 150 ] && [ "$DELAYS" -le $(((elapsed + 2) * 100)) ] ||
    fail "$gif lasts $DELAYS hundredths for about $elapsed s recorded"
  echo "recorded $FRAMES frames lasting $DELAYS hundredths"

  # R, then Escape: the file is completed on the way out.
  xdotool key --window "$W" r
  wait_stderr "vexlora: recording vexlora-"
  local second
  second=$(named_file "recording " gif)
  [ "$second" != "$gif" ] || fail "the second recording reuses $gif"
  sleep 1
  xdotool key --window "$W" Escape
  wait_exit 10
  [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after Escape"
  expect_stderr "vexlora: recorded $second"
  expect_arena_movie "$second" 5
  ! ls "$RUN" | grep -q partial || fail "a temporary was left: $(ls "$RUN")"
}

# In a directory it cannot write, S and R say so and the window goes on.
case_capture_unwritable() {
  start_in_unwritable_dir
  xdotool key --window "$W" s
  wait_stderr "vexlora: cannot write vexlora-"
  xdotool key --window "$W" r
  wait_stderr ".gif: Permission denied"
  [ "$(grep -c 'cannot write' "$WORK/err")" -eq 2 ] || fail "not one line for each failure"
  wait_for 10 is_arena
  xdotool key --window "$W" Escape
  wait_exit 10
  [ "$APP_STATUS" -eq 0 ] || fail "status $APP_STATUS after Escape"
  [ "$(ls -A "$RUN")" = "params.ini" ] || fail "files appeared in the unwritable directory: $(ls -A "$RUN")"
  chmod 755 "$RUN"
}

"case_$CASE"
echo "PASS ($CASE)"
