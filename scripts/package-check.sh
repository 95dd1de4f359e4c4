#!/usr/bin/env bash
# Checks a built package without installing it: the files it must hold, its Qt
# dependencies, and that the programs run from an unpacked copy and find their data
# there (not in a build folder, not in an installed copy on this machine).
set -euo pipefail
deb=${1:?usage: package-check.sh FILE.deb}
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
fail() { echo "package-check: $*" >&2; exit 1; }

listing=$(dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's#^\./#/#')
need() { grep -qx "$1" <<<"$listing" || fail "$(basename "$deb") lacks $1"; }
need /usr/bin/vx5x-tool
need /usr/bin/vx5x-sim
for f in data/*; do need "/usr/share/vx5x-tool/$(basename "$f")"; done
need /usr/share/applications/vx5x-tool.desktop
need /usr/share/icons/hicolor/scalable/apps/vx5x-tool.svg
need /usr/share/doc/vx5x-tool/copyright
programs=$(grep '^/usr/bin/.' <<<"$listing" | xargs -n1 basename)
for p in $programs; do need "/usr/share/man/man1/$p.1.gz"; done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

dpkg-deb -x "$deb" "$tmp/root"
bin=$tmp/root/usr/bin
for p in $programs; do
  ! ldd "$bin/$p" | grep -q "not found" || fail "$p: $(ldd "$bin/$p" | grep 'not found')"
done
command -v desktop-file-validate >/dev/null && desktop-file-validate "$tmp/root/usr/share/applications/vx5x-tool.desktop"
for p in $programs; do man -l "$tmp/root/usr/share/man/man1/$p.1.gz" >/dev/null 2>&1 || zcat "$tmp/root/usr/share/man/man1/$p.1.gz" | grep -q '^\.TH' \
  || fail "man page of $p unreadable"; done

# A user's home of its own, and the program folder read-only as installed.
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config VX5X_INSTANCE_SUFFIX=package-check-$$
unset VX_DATA_DIR
mkdir -p "$HOME"
chmod a-w "$bin"
paths=$("$bin/vx5x-tool" --paths) || fail "vx5x-tool finds no data: $paths"
grep -qx "data: *$tmp/root/usr/share/vx5x-tool/" <<<"$paths" || fail "vx5x-tool reads data from elsewhere: $paths"
echo "$paths" | sed 's/^/  /'
# Root writes anywhere; the per-user settings are checked as an ordinary user.
as_user=()
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1 && command -v runuser >/dev/null; then
  chmod 755 "$tmp" && chown nobody "$HOME"
  as_user=(runuser -u nobody -- env HOME="$HOME" XDG_CONFIG_HOME="$XDG_CONFIG_HOME")
fi
if [ "$(id -u)" -ne 0 ] || [ ${#as_user[@]} -gt 0 ]; then
  user_paths=$("${as_user[@]}" "$bin/vx5x-tool" --paths) || fail "vx5x-tool finds no data as a user: $user_paths"
  grep -qx "settings: *$XDG_CONFIG_HOME/vx5x-tool/application.ini (per user)" <<<"$user_paths" \
    || fail "installed vx5x-tool keeps a user's settings elsewhere: $user_paths"
  echo "  as a user: $(grep settings <<<"$user_paths")"
fi

# The tool starts against its simulator and keeps running until stopped.
set +e
QT_QPA_PLATFORM=offscreen timeout 4 "$bin/vx5x-tool" --simulate >"$tmp/tool.out" 2>&1
rc=$?
timeout 2 "$bin/vx5x-sim" >"$tmp/sim.out" 2>"$tmp/sim.err"
simrc=$?
set -e
[ $rc -eq 124 ] || fail "vx5x-tool --simulate ended with $rc: $(cat "$tmp/tool.out")"
[ $simrc -eq 124 ] || fail "vx5x-sim ended with $simrc: $(cat "$tmp/sim.err")"
grep -q '^/dev/pts/' "$tmp/sim.out" || fail "vx5x-sim printed no pseudo-terminal: $(cat "$tmp/sim.out")"
! grep -q 'no parameter definitions' "$tmp/sim.err" || fail "vx5x-sim: $(cat "$tmp/sim.err")"
echo "package-check: $(basename "$deb") ok ($(du -k "$deb" | cut -f1) KiB; Depends: $depends)"
