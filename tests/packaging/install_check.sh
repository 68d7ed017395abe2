#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR, as the package does (prefix
# /usr, binaries stripped), and checks what a user gets from it: the
# installed kestrune-cli answers from any folder, every installed file is in
# place and valid, the manual pages render without warnings and
# kestrune-cli(1) names every command and option that --help shows, nothing
# points back into the source or build tree, and the installed notice
# endpoint serves its own site. (launch_check.sh starts the installed
# program.)
#
#   install_check.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source_dir=$1 build_dir=$2 version=$3

# A build configured for a release (no launcher in its tree) is checked by
# the release check instead.
[ -x "$build_dir/packaging/kestrune" ] || { echo "not a build that serves its own notice: skipped"; exit 77; }

tmp=$(mktemp -d)
runtime="$tmp/notice-runtime"
endpoint="$tmp/root/usr/libexec/kestrune/notice-endpoint"
cleanup() {
  [ -x "$endpoint" ] && "$endpoint" stop --runtime "$runtime" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

root="$tmp/root"
DESTDIR="$root" cmake --install "$build_dir" --prefix /usr --strip > "$tmp/install.log" ||
  { cat "$tmp/install.log" >&2; exit 1; }

# Every file a user needs, at the path the desktop, man and the notice look for.
for f in bin/kestrune bin/kestrune-cli libexec/kestrune/kestrune \
    share/applications/kestrune.desktop \
    share/icons/hicolor/scalable/apps/kestrune.svg \
    share/metainfo/kestrune.metainfo.xml \
    share/man/man1/kestrune.1.gz share/man/man1/kestrune-cli.1.gz \
    share/doc/kestrune/README.md share/doc/kestrune/copyright share/doc/kestrune/changelog.gz \
    libexec/kestrune/notice-endpoint libexec/kestrune/notice-server \
    share/kestrune/notice/site/index.html share/kestrune/notice/site/Admins/ksxt.json; do
  [ -f "$root/usr/$f" ] || fail "not installed: /usr/$f"
done
for f in bin/kestrune bin/kestrune-cli libexec/kestrune/kestrune libexec/kestrune/notice-endpoint \
    libexec/kestrune/notice-server; do
  [ -x "$root/usr/$f" ] || fail "not executable: /usr/$f"
done

# The installed command line, from a folder that is neither tree, with a
# bare environment: the table is built in, nothing is looked up elsewhere.
cli="$root/usr/bin/kestrune-cli"
mkdir -p "$tmp/elsewhere"
out=$(cd "$tmp/elsewhere" && env -i PATH=/usr/bin:/bin KESTRUNE_PREFIX="$tmp/prefix" "$cli" query 8888) ||
  fail "installed kestrune-cli query 8888 exited $?"
[ "$out" = $'￥ 16888 米\t极品\t传家使用' ] || fail "installed kestrune-cli query 8888 printed '$out'"
out=$(cd "$tmp/elsewhere" && env -i PATH=/usr/bin:/bin "$cli" --version) ||
  fail "installed kestrune-cli --version exited $?"
[ "$out" = "$version" ] || fail "installed kestrune-cli --version printed '$out', not $version"

# The programs and the launcher name neither tree: what they need is in
# them, next to them or in the system.
for b in bin/kestrune bin/kestrune-cli libexec/kestrune/kestrune libexec/kestrune/notice-server \
    libexec/kestrune/notice-endpoint; do
  for tree in "$source_dir" "$build_dir"; do
    if grep -aqF "$tree" "$root/usr/$b"; then fail "/usr/$b contains the path $tree"; fi
  done
done

# Desktop entry and AppStream metadata, with the validators of the distribution.
desktop-file-validate "$root/usr/share/applications/kestrune.desktop" || fail "desktop-file-validate"
appstream-util validate-relax --nonet "$root/usr/share/metainfo/kestrune.metainfo.xml" > "$tmp/appstream.log" ||
  { cat "$tmp/appstream.log" >&2; fail "appstream-util validate-relax"; }
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/kestrune.metainfo.xml" ||
  fail "the AppStream metadata has no release $version"
grep -q '^Exec=kestrune$' "$root/usr/share/applications/kestrune.desktop" || fail "the desktop entry does not run kestrune"

# The licence, the same everywhere it is named: MIT (Debian's name: Expat).
grep -qx 'MIT License' "$source_dir/LICENSE" || fail "LICENSE is not the MIT licence"
grep -q '<project_license>MIT</project_license>' "$root/usr/share/metainfo/kestrune.metainfo.xml" ||
  fail "the AppStream metadata does not name the MIT licence"
own_licence=$(awk '/^Files: \*$/ {ours = 1} ours && /^License:/ {print $2; exit}' "$root/usr/share/doc/kestrune/copyright")
[ "$own_licence" = Expat ] || fail "the copyright file gives the project's files the licence '$own_licence'"

# The icon is a well-formed SVG document.
grep -q '<svg ' "$root/usr/share/icons/hicolor/scalable/apps/kestrune.svg" || fail "the icon is not SVG"

# Manual pages: render as man does, warnings on (lintian checks the same way).
for page in kestrune kestrune-cli; do
  file="$root/usr/share/man/man1/$page.1.gz"
  warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 > /dev/null) ||
    fail "man cannot render $page(1)"
  [ -z "$warnings" ] || fail "$page(1) renders with warnings: $warnings"
  zcat "$file" | grep -q "^\.TH .* \"Kestrune $version\"" || fail "$page(1) does not carry version $version"
done
zcat "$root/usr/share/man/man1/kestrune.1.gz" | grep -qF '/usr/libexec/kestrune/notice\-endpoint' ||
  fail "kestrune(1) does not name the installed notice endpoint"

# kestrune-cli(1) against what the program's own --help shows: every
# subcommand a heading, every option of each one in the page.
cli_page=$(zcat "$root/usr/share/man/man1/kestrune-cli.1.gz")
commands=$("$cli" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && /^  [a-z]/ {print $1}')
[ -n "$commands" ] || fail "kestrune-cli --help lists no subcommands"
for command in $commands; do
  grep -qxF ".SS $(sed 's/-/\\-/g' <<< "$command")" <<< "$cli_page" || fail "kestrune-cli(1) has no section for '$command'"
  options=$("$cli" "$command" --help | sed -n '/^Options:/,/^$/p' | awk '/^  -/ {print $1}' | tr ',' '\n')
  for option in $options; do
    case "$option" in -h | --help) continue ;; esac
    grep -qF "\\fB$(sed 's/-/\\-/g' <<< "$option")\\fR" <<< "$cli_page" ||
      fail "kestrune-cli(1) does not describe '$command $option'"
  done
done
if grep -q "manual\\\\-page" <<< "$cli_page"; then fail "kestrune-cli(1) shows the hidden manual-page command"; fi

# The installed notice endpoint, started by hand from any folder, finds its
# server and site and serves the notice (on a free port).
served=""
if address=$(cd "$tmp/elsewhere" && "$endpoint" start --port 0 --runtime "$runtime" 2>/dev/null); then
  served=$(curl -ksf --max-time 5 "$address") || true
fi
grep -q "\"V\":\"$version\"" <<< "$served" || fail "the installed notice endpoint did not serve the notice (got '$served')"
"$endpoint" status --runtime "$runtime" || fail "notice-endpoint status: not running"
"$endpoint" stop --runtime "$runtime"
if curl -ksf --max-time 2 -o /dev/null "$address"; then fail "the endpoint answers after stop"; fi

[ "$failures" -eq 0 ] || exit 1
echo "install check passed"
