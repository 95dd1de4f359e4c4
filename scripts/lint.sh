#!/usr/bin/env bash
# clang-format in check mode and clang-tidy over the sources.
#   scripts/lint.sh            every file
#   scripts/lint.sh --changed  files changed against origin/main (or HEAD~1)
#   scripts/lint.sh --format   the format check alone (what make test runs)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
mode=${1:-all}

if [ "$mode" = "--changed" ]; then
  base=$(git rev-parse -q --verify origin/main || git rev-parse HEAD~1)
  mapfile -t files < <(git diff --name-only --diff-filter=ACMR "$base" -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp')
else
  mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp')
fi
[ ${#files[@]} -gt 0 ] || { echo "lint: no files"; exit 0; }

bad=0
if ! clang-format --dry-run -Werror "${files[@]}" 2>/tmp/vx-format.log; then
  grep -E '^[^ :]+\.(cpp|h):[0-9]+:[0-9]+: ' /tmp/vx-format.log | cut -d: -f1 | sort -u | sed 's/^/  not formatted: /'
  echo "lint: run clang-format -i on the files above"
  bad=1
else
  echo "lint: format clean (${#files[@]} files)"
fi
[ "$mode" = "--format" ] && exit $bad

[ -f "$BUILD/compile_commands.json" ] || { echo "lint: configure $BUILD first (make build)"; exit 1; }
sources=()
for f in "${files[@]}"; do case "$f" in src/*.cpp) sources+=("$f") ;; esac; done
if [ ${#sources[@]} -gt 0 ]; then
  if ! printf '%s\n' "${sources[@]}" | xargs -P "${JOBS:-2}" -n 4 clang-tidy -p "$BUILD" --quiet --warnings-as-errors='*' --extra-arg=-Wno-sign-conversion >/tmp/vx-tidy.log 2>&1; then
    grep -E 'warning:|error:' /tmp/vx-tidy.log | sort -u | head -50
    echo "lint: clang-tidy found the above"
    bad=1
  else
    echo "lint: clang-tidy clean (${#sources[@]} sources)"
  fi
fi
exit $bad
