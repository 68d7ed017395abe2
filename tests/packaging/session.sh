# Sourced by the checks that start the installed program as a user would:
# a network namespace of the check's own, where nothing else on this machine
# answers and nothing started there is seen from outside (with a mount
# namespace, so that the check may give it a hosts file), and a virtual X
# display.

# own_network SCRIPT ARG...: runs SCRIPT again in namespaces of its own (as
# root there, which brings up their loopback interface) with --in-namespace
# before its arguments; does not return. Inside, it returns at once.
own_network() {
  local script=$1
  shift
  if [ "${1:-}" = --in-namespace ]; then
    ip link set lo up
    return 0
  fi
  local as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(--map-root-user)
  exec unshare --net --mount "${as_root[@]}" bash "$script" --in-namespace "$@"
}

# start_display FOLDER: a virtual X display (DISPLAY exported, the server's
# pid in xvfb); 1800 by 1024 pixels, room for two windows side by side.
xvfb=""
start_display() {
  Xvfb -displayfd 3 -screen 0 1800x1024x24 -nolisten tcp -noreset 3> "$1/display" 2> /dev/null &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  DISPLAY=":$(cat "$1/display")"
  export DISPLAY QT_QPA_PLATFORM=xcb
}

stop_display() {
  [ -z "$xvfb" ] || { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; }
  xvfb=""
}
