#!/usr/bin/env bash
# The program of a release asks the notice host built into it, with no
# KESTRUNE_NOTICE_URL: run from the unpacked package on a virtual display, in
# namespaces of this check's own where HOST is 127.0.0.1 (a hosts file of
# their own) and the notice endpoint of this source tree answers on port 443,
# it reaches its main window, and the endpoint saw its request for the
# notice addressed to HOST.
#
#   release_run_check.sh ROOT HOST SOURCE_DIR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/session.sh"
own_network "$0" "$@"
shift
root=$1 host=$2 source_dir=$3 build_dir=$4

tmp=$(mktemp -d)
program="" endpoint=""
cleanup() {
  [ -z "$program" ] || { kill "$program" 2>/dev/null; wait "$program" 2>/dev/null; }
  [ -z "$endpoint" ] || { kill "$endpoint" 2>/dev/null; wait "$endpoint" 2>/dev/null; }
  stop_display
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

printf '127.0.0.1 localhost\n127.0.0.1 %s\n' "$host" > "$tmp/hosts"
mount --bind "$tmp/hosts" /etc/hosts
"$source_dir/deploy/notice/notice-endpoint" run --port 443 --runtime "$tmp/notice" \
  --server "$build_dir/deploy/notice/notice-server" > "$tmp/address" &
endpoint=$!
for _ in $(seq 100); do [ -s "$tmp/address" ] && break; sleep 0.1; done
[ -s "$tmp/address" ] || { echo "FAIL: the endpoint did not start: $(cat "$tmp/notice/server.log")" >&2; exit 1; }

mkdir -m 700 "$tmp/prefix"
export KESTRUNE_PREFIX="$tmp/prefix"
unset KESTRUNE_NOTICE_URL
start_display "$tmp"
"$root/usr/bin/kestrune" > "$tmp/program.log" 2>&1 &
program=$!
if window=$("$source_dir/scripts/capture-window" "$program" "$tmp/shot.png" 2> "$tmp/capture.log"); then
  # The main window, not the update message.
  size=$(convert "$tmp/shot.png" -format '%w %h' info: 2>&1) || true
  [ "$size" = "888 888" ] || fail "the program shows a window of $size, not its main window"
  xdotool windowfocus --sync "$window" key Escape || fail "xdotool on the window"
  status=0
  wait "$program" || status=$?
  program=""
  [ "$status" -eq 0 ] || fail "the program ended with exit status $status"
else
  fail "the program shows no window: $(cat "$tmp/capture.log" "$tmp/program.log")"
fi
grep -qxF "GET /Admins/ksxt.json 200 $host" "$tmp/notice/server.log" ||
  fail "the endpoint saw no request for the notice at $host: $(cat "$tmp/notice/server.log")"

[ "$failures" -eq 0 ] || exit 1
echo "the release asks $host"
