#!/usr/bin/env bash
# Builds a Debian package and checks it. Every package: its name and
# version, the dependencies computed from the binaries plus the fonts and
# helpers the program needs, no web server for the whole machine (Debian's
# start a site on port 80 when installed) and nothing installed outside /usr,
# no maintainer scripts, a packaged kestrune-cli that runs, the changelog at
# the project's version, and lintian without errors or warnings.
#
#   package_check.sh SOURCE_DIR BUILD_DIR VERSION
#       the package of BUILD_DIR, made with CPack into a temporary folder: the
#       local flavour, which brings the notice endpoint and its launcher.
#   package_check.sh SOURCE_DIR BUILD_DIR VERSION release
#       a release made as a maker makes one, scripts/package --notice-host
#       notice.example.test, in BUILD_DIR-release-check: it brings no endpoint
#       and its program asks that host (the address built into it, no
#       override; release_run_check.sh runs it).
set -euo pipefail
source_dir=$1 build_dir=$2 version=$3 flavour=${4:-local}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The changelog and the AppStream release follow the project's version.
changelog_version=$(dpkg-parsechangelog -l "$source_dir/packaging/changelog" -S Version)
[ "$changelog_version" = "$version" ] ||
  fail "packaging/changelog is at $changelog_version, the project at $version: add an entry"

release_host=notice.example.test
if [ "$flavour" = local ] && [ ! -x "$build_dir/packaging/kestrune" ]; then
  echo "not a build that serves its own notice: skipped"
  exit 77
fi
if [ "$flavour" = release ]; then
  "$source_dir/scripts/package" --notice-host "$release_host" --build "$build_dir-release-check" \
    > "$tmp/package.out" 2> "$tmp/package.log" || { cat "$tmp/package.log" >&2; exit 1; }
  deb=$(tail -n 1 "$tmp/package.out")
else
  cpack --config "$build_dir/CPackConfig.cmake" -B "$tmp" > "$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; exit 1; }
  deb="$tmp/kestrune_${version}_$(dpkg --print-architecture).deb"
fi
[ -f "$deb" ] || { echo "FAIL: no package at '$deb'" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kestrune ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
depends=$(field Depends)
depended=$(tr ',' '\n' <<< "$depends" | sed 's/^ *//; s/ .*//')
for p in fonts-noto-cjk fonts-arphic-ukai fonts-arphic-uming xdg-utils libc6 libqt6widgets6 libstdc++6; do
  grep -qxF "$p" <<< "$depended" || fail "Depends lacks $p: $depends"
done
for relation in Depends Recommends Suggests Pre-Depends; do
  if grep -qiE 'nginx|apache|lighttpd|httpd|caddy' <<< "$(field "$relation")"; then
    fail "$relation names a web server: $(field "$relation")"
  fi
done
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -vE '^\./(usr(/.*)?)?$' || true)
[ -z "$outside" ] || fail "files outside /usr (a system service, a site?): $outside"
if dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qE 'inst$|rm$'; then
  fail "the package has maintainer scripts"
fi

# What the package installs runs: the stripped kestrune-cli out of it.
dpkg-deb -x "$deb" "$tmp/root"
cli() { env -i PATH=/usr/bin:/bin "$tmp/root/usr/bin/kestrune-cli" "$@"; }
out=$(cli query 8888) || fail "packaged kestrune-cli exited $?"
[ "$out" = $'￥ 16888 米\t极品\t传家使用' ] || fail "packaged kestrune-cli query 8888 printed '$out'"
page=$(zcat "$tmp/root/usr/share/man/man1/kestrune.1.gz")
endpoint_files=$(cd "$tmp/root" && find usr -name 'notice-*' -o -path usr/share/kestrune -o -path usr/libexec)

if [ "$flavour" = release ]; then
  # The program itself in bin, asking the maker's host; no endpoint, nothing
  # that only the endpoint needs.
  address="https://$release_host/Admins/ksxt.json"
  [ -z "$endpoint_files" ] || fail "the release brings endpoint files: $endpoint_files"
  for p in curl openssl; do
    if grep -qxF "$p" <<< "$depended"; then fail "the release depends on $p: $depends"; fi
  done
  file -b "$tmp/root/usr/bin/kestrune" | grep -q '^ELF' || fail "/usr/bin/kestrune is not the program"
  out=$(cli notice --print-address) || fail "packaged kestrune-cli notice --print-address exited $?"
  [ "$out" = "$address" ] || fail "packaged kestrune-cli asks '$out', not $address"
  # The program itself, run where that host is this machine.
  bash "$source_dir/tests/packaging/release_run_check.sh" "$tmp/root" "$release_host" "$source_dir" \
    "$build_dir" || fail "the released program does not ask $release_host"
  grep -qF "${address//-/\\-}" <<< "$page" || fail "kestrune(1) does not name $address"
  if grep -q "endpoint" <<< "$page$(field Description)"; then
    fail "kestrune(1) or the description speaks of an endpoint of its own"
  fi
else
  # The launcher in bin, the program and the endpoint in libexec, the site
  # under share; what the endpoint runs is depended on.
  for f in usr/libexec/kestrune/kestrune usr/libexec/kestrune/notice-server \
      usr/libexec/kestrune/notice-endpoint usr/share/kestrune/notice/site/Admins/ksxt.json; do
    [ -f "$tmp/root/$f" ] || fail "the package lacks /$f"
  done
  head -n 1 "$tmp/root/usr/bin/kestrune" | grep -q '^#!.*bash$' ||
    fail "/usr/bin/kestrune is not the launcher"
  for p in curl openssl; do
    grep -qxF "$p" <<< "$depended" || fail "Depends lacks $p: $depends"
  done
fi

# lintian: no errors, no warnings. The informational tags are printed for the reader.
lintian --fail-on error,warning --display-info "$deb" > "$tmp/lintian.log" 2>&1 ||
  fail "lintian reports errors or warnings"
grep -v "^running with root privileges" "$tmp/lintian.log" >&2 || true

[ "$failures" -eq 0 ] || exit 1
echo "package check passed: $(basename "$deb") ($flavour)"
