#!/usr/bin/env bash
# Checks the built packages without installing them: the files each must hold, that
# each depends on what its programs link and the headless ones on no Qt Gui, lintian
# and hardening-check, and that the programs run from an unpacked copy, find their
# data there and write nothing beside themselves.
# usage: package-check.sh FOLDER-WITH-THE-DEBS
set -euo pipefail
dir=$(realpath "${1:?usage: package-check.sh FOLDER-WITH-THE-DEBS}")
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
fail() { echo "package-check: $*" >&2; exit 1; }

version=2.04-1
declare -A deb
for p in vx5x-tool vx5x vx5x-sim vx5x-data; do
  arch=$(dpkg --print-architecture)
  [ $p = vx5x-data ] && arch=all
  deb[$p]=$dir/${p}_${version}_$arch.deb
  [ -f "${deb[$p]}" ] || fail "missing ${deb[$p]}"
done
extra=$(ls "$dir"/*.deb | grep -vxF -f <(printf '%s\n' "${deb[@]}") || true)
[ -z "$extra" ] || fail "packages nobody checks: $extra"

# --- what each package holds ---------------------------------------------------------
listing() { dpkg-deb --contents "${deb[$1]}" | awk '{print $NF}' | sed 's#^\./#/#'; }
need() { grep -qx "$2" <<<"$(listing "$1")" || fail "$1 lacks $2"; }
for p in "${!deb[@]}"; do
  need $p /usr/share/doc/$p/copyright
  need $p /usr/share/doc/$p/changelog.Debian.gz
done
for f in data/*; do need vx5x-data "/usr/share/vx5x-tool/$(basename "$f")"; done
! listing vx5x-data | grep -q '^/usr/bin/.' || fail "vx5x-data holds programs"
[ "$(dpkg-deb -f "${deb[vx5x-data]}" Architecture)" = all ] || fail "vx5x-data is not Architecture: all"
need vx5x-tool /usr/share/applications/vx5x-tool.desktop
need vx5x-tool /usr/share/icons/hicolor/scalable/apps/vx5x-tool.svg
for s in 48 64 128 256; do need vx5x-tool /usr/share/icons/hicolor/${s}x$s/apps/vx5x-tool.png; done
need vx5x-tool /etc/vx5x-tool/application.ini
dpkg-deb --ctrl-tarfile "${deb[vx5x-tool]}" | tar -xO ./conffiles | grep -qx /etc/vx5x-tool/application.ini \
  || fail "vx5x-tool: /etc/vx5x-tool/application.ini is not a conffile"
for p in vx5x-tool vx5x vx5x-sim; do
  need $p /usr/bin/$p
  need $p /usr/share/man/man1/$p.1.gz
  [ "$(listing $p | grep -c '^/usr/bin/.')" = 1 ] || fail "$p holds other programs: $(listing $p | grep '^/usr/bin/.')"
done

# --- dependencies: exactly the libraries linked, plus the data ------------------------
# The package a library comes from; with merged /usr it may be known under either path.
owner() {
  local path p
  path=$(ldconfig -p | awk -v l="$1" '$1 == l {print $NF; exit}')
  [ -n "$path" ] || fail "library $1 not found on this machine"
  for p in "$path" "$(realpath "$path")" "${path/#\/lib\//\/usr\/lib\/}" "${path/#\/usr\/lib\//\/lib\/}"; do
    dpkg -S "$p" 2>/dev/null | head -1 | cut -d: -f1 && return
  done
  fail "no package owns $path"
}
for p in vx5x-tool vx5x vx5x-sim; do
  dpkg-deb -x "${deb[$p]}" "$tmp/$p"
  depends=$(dpkg-deb -f "${deb[$p]}" Depends)
  grep -q "vx5x-data (= $version)" <<<"$depends" || fail "$p does not depend on vx5x-data (= $version): $depends"
  linked=$(objdump -p "$tmp/$p/usr/bin/$p" | awk '/NEEDED/ {print $2}' | while read -r lib; do owner "$lib"; done | sort -u)
  named=$(tr ',' '\n' <<<"$depends" | sed 's/(.*//; s/|.*//; s/ //g' | grep -v '^vx5x-data$' | sort -u)
  [ "$linked" = "$named" ] || fail "$p: Depends names $(echo $named) but the program links $(echo $linked)"
  echo "  $p depends on: $depends"
done
dpkg-deb -x "${deb[vx5x-data]}" "$tmp/vx5x-data"
! grep -q -i qt <<<"$(dpkg-deb -f "${deb[vx5x-sim]}" Depends)" || fail "vx5x-sim depends on Qt"

# The headless program's whole closure: no Qt Gui or Widgets, and its size.
deps=$(dpkg-deb -f "${deb[vx5x]}" Depends | tr ',' '\n' | sed 's/(.*//; s/|.*//; s/ //g' | grep -v '^vx5x-data$')
closure=$(apt-cache depends --recurse --important $deps 2>/dev/null | grep -v '^ ' | sed 's/:.*//; s/[<>]//g' | sort -u)
! grep -qE '^libqt6(gui|widgets|printsupport)' <<<"$closure" || fail "vx5x pulls in $(grep -E '^libqt6(gui|widgets)' <<<"$closure")"
size_of() { apt-cache show --no-all-versions "$@" 2>/dev/null | awk '/^Installed-Size:/ {s += $2} END {print s + 0}'; }
# A minimal system has the required and important packages, and what they depend on.
base=$(dpkg-query -W -f='${Package} ${Priority}\n' | awk '$2 == "required" || $2 == "important" {print $1}')
minimal=$(apt-cache depends --recurse --important $base 2>/dev/null | grep -v '^ ' | sed 's/:.*//; s/[<>]//g' | sort -u)
new=$(comm -23 <(echo "$closure") <(echo "$minimal"))
own=$(($(dpkg-deb -f "${deb[vx5x]}" Installed-Size) + $(dpkg-deb -f "${deb[vx5x-data]}" Installed-Size)))
echo "  vx5x with vx5x-data: $own KiB; closure $(wc -w <<<"$closure") packages, $(($(size_of $closure) / 1024)) MiB;" \
  "on a minimal Debian $(wc -w <<<"$new") packages more ($(echo $new)), $(((own + $(size_of $new)) / 1024)) MiB in all"

# --- Debian's checks ------------------------------------------------------------------
command -v lintian >/dev/null || fail "lintian is missing (make deps)"
command -v hardening-check >/dev/null || fail "hardening-check is missing (devscripts; make deps)"
for p in vx5x-tool vx5x vx5x-sim vx5x-data; do
  rc=0
  out=$(lintian --fail-on error,warning "${deb[$p]}" 2>&1) || rc=$?
  out=$(grep -v '^running with root privileges' <<<"$out" || true)
  [ $rc -eq 0 ] || fail "lintian on $p:
$out"
  echo "  lintian $p: ${out:-clean}"
done
# Control flow integrity (IBT/SHSTK) needs every object linked to carry it; Debian 12's
# C library start files do not, so no program on Debian 12 has it (not /bin/ls either)
# and its dpkg-buildflags do not ask for it. Everything else must pass.
for p in vx5x-tool vx5x vx5x-sim; do
  out=$(hardening-check --nocfprotection "$tmp/$p/usr/bin/$p") || fail "hardening-check:
$out"
  sed 's/^/  /' <<<"$out"
done

# --- the programs from an unpacked copy -----------------------------------------------
root=$tmp/root
for p in "${!deb[@]}"; do dpkg-deb -x "${deb[$p]}" "$root"; done
bin=$root/usr/bin
for p in vx5x-tool vx5x vx5x-sim; do
  ! ldd "$bin/$p" | grep -q "not found" || fail "$p: $(ldd "$bin/$p" | grep 'not found')"
  man -l "$root/usr/share/man/man1/$p.1.gz" >/dev/null 2>&1 || zcat "$root/usr/share/man/man1/$p.1.gz" | grep -q '^\.TH' \
    || fail "man page of $p unreadable"
done
command -v desktop-file-validate >/dev/null && desktop-file-validate "$root/usr/share/applications/vx5x-tool.desktop"

# Options print and end with no display at all.
(
  unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
  "$bin/vx5x-tool" --help | grep -q -- --simulate || fail "vx5x-tool --help prints no usage"
  [ "$("$bin/vx5x-tool" --version)" = "vx5x-tool 2.04" ] || fail "vx5x-tool --version: $("$bin/vx5x-tool" --version)"
  set +e
  "$bin/vx5x-tool" --bogus >/dev/null 2>&1
  [ $? -eq 2 ] || fail "vx5x-tool --bogus does not end with 2"
)

# A user's home of its own; the settings start from the site file beside the copy.
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config VX5X_INSTANCE_SUFFIX=package-check-$$
unset VX_DATA_DIR
mkdir -p "$HOME"
before=$(ls -A "$bin")
paths=$("$bin/vx5x-tool" --paths) || fail "vx5x-tool finds no data: $paths"
echo "$paths" | sed 's/^/  /'
grep -qx "data: *$root/usr/share/vx5x-tool/" <<<"$paths" || fail "vx5x-tool reads data from elsewhere: $paths"
# Root writes anywhere, yet an installed program keeps its settings per user.
grep -qx "settings: *$XDG_CONFIG_HOME/vx5x-tool/application.ini (per user)" <<<"$paths" \
  || fail "installed vx5x-tool keeps settings elsewhere: $paths"
cmp -s "$root/etc/vx5x-tool/application.ini" "$XDG_CONFIG_HOME/vx5x-tool/application.ini" \
  || fail "the first settings do not start from /etc/vx5x-tool/application.ini"
chmod a-w "$bin"
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1 && command -v runuser >/dev/null; then
  mkdir -p "$tmp/user" && chmod 755 "$tmp" && chown nobody "$tmp/user"
  user_paths=$(runuser -u nobody -- env HOME="$tmp/user" XDG_CONFIG_HOME="$tmp/user/.config" "$bin/vx5x-tool" --paths) \
    || fail "vx5x-tool finds no data as a user: $user_paths"
  grep -qx "settings: *$tmp/user/.config/vx5x-tool/application.ini (per user)" <<<"$user_paths" \
    || fail "installed vx5x-tool keeps a user's settings elsewhere: $user_paths"
  echo "  as a user: $(grep settings <<<"$user_paths")"
fi

# The tool starts against its simulator and keeps running until stopped; SIGTERM ends it.
set +e
QT_QPA_PLATFORM=offscreen "$bin/vx5x-tool" --simulate >"$tmp/tool.out" 2>&1 &
tool=$!
sleep 5
kill -0 $tool 2>/dev/null || fail "vx5x-tool --simulate did not keep running: $(cat "$tmp/tool.out")"
kill -TERM $tool
wait $tool
rc=$?
timeout 2 "$bin/vx5x-sim" >"$tmp/sim.out" 2>"$tmp/sim.err"
simrc=$?
cli=$("$bin/vx5x" --help 2>&1)
clirc=$?
set -e
[ $rc -eq 0 ] || fail "vx5x-tool --simulate ended with $rc on SIGTERM: $(cat "$tmp/tool.out")"
[ $simrc -eq 124 ] || fail "vx5x-sim ended with $simrc: $(cat "$tmp/sim.err")"
grep -q '^/dev/pts/' "$tmp/sim.out" || fail "vx5x-sim printed no pseudo-terminal: $(cat "$tmp/sim.out")"
! grep -q 'no parameter definitions' "$tmp/sim.err" || fail "vx5x-sim: $(cat "$tmp/sim.err")"
[ $clirc -eq 0 ] || fail "vx5x --help ended with $clirc: $cli"

# A first start speaks the system's language and saves it; a later start in another
# locale keeps what was saved.
start_and_end() {
  HOME=$tmp/lang XDG_CONFIG_HOME=$tmp/lang/.config LC_ALL=$1 LANG=$1 QT_QPA_PLATFORM=offscreen "$bin/vx5x-tool" \
    >"$tmp/lang.out" 2>&1 &
  local pid=$! i
  for i in $(seq 50); do [ -S "$(ls -d "${TMPDIR:-/tmp}"/*package-check-$$ 2>/dev/null | head -1)" ] && break; sleep 0.2; done
  sleep 1
  kill -TERM $pid && wait $pid || fail "vx5x-tool in $1 did not end cleanly: $(cat "$tmp/lang.out")"
}
mkdir -p "$tmp/lang"
start_and_end de_DE.UTF-8
saved() { tr -d '\r' <"$tmp/lang/.config/vx5x-tool/application.ini" | grep -x 'Taal=[0-9]*'; }
[ "$(saved)" = Taal=2 ] || fail "a first start in German saved $(saved): $(cat "$tmp/lang.out")"
start_and_end nl_NL.UTF-8
[ "$(saved)" = Taal=2 ] || fail "a later start changed the saved language to $(saved)"
[ "$(ls -A "$bin")" = "$before" ] || fail "a program wrote beside itself: $(ls -A "$bin")"
for p in vx5x-tool vx5x vx5x-sim vx5x-data; do
  echo "package-check: $(basename "${deb[$p]}") ok ($(du -k "${deb[$p]}" | cut -f1) KiB," \
    "Installed-Size $(dpkg-deb -f "${deb[$p]}" Installed-Size) KiB)"
done
