#!/usr/bin/env bash
# Builds the Debian package with CPack into a temporary folder and checks it:
# its name, the dependencies computed from the binaries plus the fonts and
# helpers the program needs, a packaged kestrune-cli that runs, the
# changelog at the project's version, and lintian without errors.
#
#   package_check.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source_dir=$1 build_dir=$2 version=$3

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The changelog and the AppStream release follow the project's version.
changelog_version=$(dpkg-parsechangelog -l "$source_dir/packaging/changelog" -S Version)
[ "$changelog_version" = "$version" ] ||
  fail "packaging/changelog is at $changelog_version, the project at $version: add an entry"

cpack --config "$build_dir/CPackConfig.cmake" -B "$tmp" > "$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; exit 1; }
deb="$tmp/kestrune_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$tmp" >&2; echo "FAIL: no $(basename "$deb")" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kestrune ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
depends=$(field Depends)
depended=$(tr ',' '\n' <<< "$depends" | sed 's/^ *//; s/ .*//')
for p in fonts-noto-cjk fonts-arphic-ukai fonts-arphic-uming xdg-utils libc6 libqt6widgets6 libstdc++6; do
  grep -qxF "$p" <<< "$depended" || fail "Depends lacks $p: $depends"
done
[ "$(field Recommends)" = "nginx-light | nginx, curl, openssl" ] || fail "Recommends: $(field Recommends)"

# What the package installs runs: the stripped kestrune-cli out of it.
dpkg-deb -x "$deb" "$tmp/root"
out=$(env -i PATH=/usr/bin:/bin "$tmp/root/usr/bin/kestrune-cli" query 8888) || fail "packaged kestrune-cli exited $?"
[ "$out" = $'￥ 16888 米\t极品\t传家使用' ] || fail "packaged kestrune-cli query 8888 printed '$out'"

# lintian: no errors. Warnings and the informational tags are printed for the reader.
lintian --fail-on error --display-info "$deb" > "$tmp/lintian.log" 2>&1 || fail "lintian reports errors"
grep -v "^running with root privileges" "$tmp/lintian.log" >&2 || true

[ "$failures" -eq 0 ] || exit 1
echo "package check passed: $(basename "$deb")"
