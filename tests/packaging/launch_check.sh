#!/usr/bin/env bash
# The installed program started as a user starts it, on a machine where no
# notice endpoint runs: the build installed into a temporary DESTDIR as the
# package installs it, its kestrune (the launcher) started on a virtual X
# display, all in a network namespace of this test's own, where nothing else
# answers at the build's notice address and nothing started here is seen
# from outside. Checks that the program reaches its window (the picture shows
# the live area); that the endpoint it started runs with the user's rights,
# keeps its files in the user's runtime folder and listens on 127.0.0.1 only;
# that it is gone after Esc; and that two programs started at once both reach
# their windows, served by one endpoint that ends with the last of them.
#
#   launch_check.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source "$(dirname "$0")/session.sh"
own_network "$0" "$@"
shift
source_dir=$1 build_dir=$2
# A build configured for a release (no launcher in its tree) is checked by
# the release check instead.
[ -x "$build_dir/packaging/kestrune" ] || { echo "not a build that serves its own notice: skipped"; exit 77; }

tmp=$(mktemp -d)
launchers=()
root="$tmp/root"
runtime="$tmp/run/kestrune-notice"
cleanup() {
  local pid
  for pid in "${launchers[@]}"; do [ -z "$pid" ] || kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${launchers[@]}"; do [ -z "$pid" ] || wait "$pid" 2>/dev/null || true; done
  [ -x "$root/usr/libexec/kestrune/notice-endpoint" ] &&
    "$root/usr/libexec/kestrune/notice-endpoint" stop --runtime "$runtime" 2>/dev/null
  stop_display
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR="$root" cmake --install "$build_dir" --prefix /usr --strip > "$tmp/install.log" ||
  { cat "$tmp/install.log" >&2; exit 1; }
launcher="$root/usr/bin/kestrune"
address=$(sed -n 's/^address="\(.*\)"$/\1/p' "$launcher")
port=$(sed -n 's/^port=\([0-9]*\)$/\1/p' "$launcher")
[ -n "$address" ] && [ -n "$port" ] || { echo "FAIL: $launcher names no notice address" >&2; exit 1; }

# A user's session: a private runtime folder and drive prefix, no override.
mkdir -m 700 "$tmp/run" "$tmp/prefix"
export XDG_RUNTIME_DIR="$tmp/run" KESTRUNE_PREFIX="$tmp/prefix"
unset KESTRUNE_NOTICE_URL

answers() { curl -ksf --max-time 2 -o /dev/null "$address"; }
listening() { ss -ltunH | awk '{print $5}' | sort | tr '\n' ' '; }
# The notice servers running from the installed tree.
servers() {
  local exe count=0
  for exe in /proc/[0-9]*/exe; do
    [ "$(readlink "$exe" 2>/dev/null)" = "$root/usr/libexec/kestrune/notice-server" ] &&
      count=$((count + 1))
  done
  echo "$count"
}

answers && { echo "FAIL: something answers at $address before the start" >&2; exit 1; }

start_display "$tmp"

# Starts the launcher in the background; its pid goes into launchers.
launch() {
  "$launcher" > "$tmp/launch$1.log" 2>&1 &
  launchers+=($!)
}
# The window of launch $1 (its picture in shot$1.png), or nothing and a
# failure.
window=""
find_window() {
  window=$("$source_dir/scripts/capture-window" "${launchers[$1]}" "$tmp/shot$1.png" 2> "$tmp/capture$1.log") ||
    fail "launch $1 shows no window: $(cat "$tmp/capture$1.log" "$tmp/launch$1.log")"
}
# Esc on window $2, then launch $1 ends with exit status 0.
close() {
  xdotool windowfocus --sync "$2" key Escape || fail "xdotool on window $2"
  local status=0
  wait "${launchers[$1]}" || status=$?
  launchers[$1]=""
  [ "$status" -eq 0 ] || fail "launch $1 ended with exit status $status"
}
# The live area of the picture of launch $1: the window's size, and the
# built-in background colour in its top bar.
shows_live_area() {
  local seen
  seen=$(convert "$tmp/shot$1.png" -format '%w %h %[pixel:p{5,5}]' info: 2>&1) || true
  [[ "$seen" =~ ^888\ 888\ s?rgb\(0,136,255\) ]] || fail "the picture of launch $1 shows '$seen'"
}

# One start: the window, the endpoint while it runs, nothing after Esc.
launch 0
find_window 0
if [ -n "$window" ]; then
  shows_live_area 0
  answers || fail "the endpoint does not answer while the program runs"
  [ "$(listening)" = "127.0.0.1:$port " ] || fail "listening: '$(listening)', not only 127.0.0.1:$port"
  pid=$(cat "$runtime/server.pid" 2>/dev/null) || fail "no pid file in $runtime"
  [ "$(stat -c %u "/proc/${pid:-0}")" = "$(id -u)" ] || fail "the endpoint does not run as the user"
  [ "$(stat -c %a "$runtime")" = 700 ] || fail "$runtime has mode $(stat -c %a "$runtime")"
  [ -s "$runtime/cert.pem" ] && [ -s "$runtime/site/Admins/ksxt.json" ] ||
    fail "the endpoint's files are not in $runtime"
  close 0 "$window"
fi
if answers; then fail "the endpoint still answers after Esc"; fi
[ -z "$(listening)" ] || fail "still listening after Esc: $(listening)"
[ "$(servers)" = 0 ] || fail "$(servers) notice servers still run after Esc"
if grep -q "^kestrune:" "$tmp/launch0.log"; then fail "the launcher said: $(cat "$tmp/launch0.log")"; fi

# Two starts at once: both windows, one endpoint, which outlives the first
# program and ends with the second.
launch 1
launch 2
find_window 1
first=$window
find_window 2
second=$window
if [ -n "$first" ] && [ -n "$second" ]; then
  [ "$first" != "$second" ] || fail "both launches show the same window"
  # Side by side, each picture shows its own window, not the other on top.
  xdotool windowmove "$first" 0 0 windowmove "$second" 900 0 || fail "xdotool windowmove"
  find_window 1
  shows_live_area 1
  find_window 2
  shows_live_area 2
  [ "$(servers)" = 1 ] || fail "$(servers) notice servers for two programs, not one"
  [ "$(listening)" = "127.0.0.1:$port " ] || fail "listening: '$(listening)'"
  close 1 "$first"
  answers || fail "the endpoint ended with the first program while the second runs"
  close 2 "$second"
fi
if answers; then fail "the endpoint still answers after both programs ended"; fi
[ "$(servers)" = 0 ] || fail "$(servers) notice servers still run after both programs ended"

[ "$failures" -eq 0 ] || exit 1
echo "launch check passed"
