# Shared by the scripts that drive the real window under Xvfb: a private display, the simulated
# unit on port 1, finding windows, and clicking controls by their dialog units.
# Source it; call x11_cleanup on exit.

X11_PIDS=()
X11_WORK=$(mktemp -d)
export XDG_RUNTIME_DIR=$X11_WORK

x11_cleanup() {
  kill "${X11_PIDS[@]}" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$X11_WORK" || true
}

# A private X display of its own. Xvfb picks a free display number itself (-displayfd), and
# -noreset keeps it from resetting when its first client (the readiness probe) disconnects, which
# would refuse the next client for a moment.
x11_start_display() {
  Xvfb -displayfd 3 -noreset -screen 0 "${X11_SCREEN:-800x600}x24" -nolisten tcp 3>"$X11_WORK/display" >"$X11_WORK/xvfb.log" 2>&1 &
  X11_PIDS+=($!)
  for _ in $(seq 100); do
    if [ -s "$X11_WORK/display" ]; then
      export DISPLAY=:$(head -n1 "$X11_WORK/display")
      xdpyinfo >/dev/null 2>&1 && return 0
    fi
    sleep 0.05
  done
  echo "Xvfb did not start: $(cat "$X11_WORK/xvfb.log")" >&2
  return 1
}

# q42-unit-sim with the given options; port X11_UNIT_PORT (default 1) reaches it. Its log is in
# $X11_WORK/unit.log ($X11_WORK/unit<N>.log for another port N).
x11_start_unit() {
  local bin=$1 n=${X11_UNIT_PORT:-1} name=unit; shift
  [ "$n" = 1 ] || name=unit$n
  "$bin/q42-unit-sim" "$@" >"$X11_WORK/$name.out" 2>"$X11_WORK/$name.log" &
  X11_PIDS+=($!)
  for _ in $(seq 100); do [ -s "$X11_WORK/$name.out" ] && break; sleep 0.05; done
  export "Q42_COM$n=$(head -n1 "$X11_WORK/$name.out")"
}

# Prints the id of the first shown window whose title matches, waiting up to 5 s.
x11_window() {
  local win
  for _ in $(seq 100); do
    win=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && { echo "$win"; return 0; }
    sleep 0.05
  done
  return 1
}

# Prints the id of a box the window opened (another shown window of the same title), waiting up to
# 5 s; fails when none comes.
x11_box_of() {
  local box
  for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --name '^VARNEK-Q42$' 2>/dev/null | grep -vx "$1" | head -n1 || true)
    [ -n "$box" ] && { echo "$box"; return 0; }
    sleep 0.05
  done
  return 1
}

# Sets X11_OX and X11_OY to the window's top-left corner on the screen.
x11_origin() {
  read -r X11_OX X11_OY < <(xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
}

# Clicks the centre of a control given in dialog units (x y w h) at the dialog font's 6 x 12 base
# (X11_BASE_Y when the font is taller), times X11_SCALE when the window is drawn larger.
x11_click_du() {
  local k=${X11_SCALE:-1}
  xdotool mousemove $((X11_OX + ($1 + $3 / 2) * 6 * k / 4)) $((X11_OY + ($2 + $4 / 2) * ${X11_BASE_Y:-12} * k / 8)) click 1
  sleep 0.15
}
