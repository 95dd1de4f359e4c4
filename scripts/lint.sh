#!/usr/bin/env bash
# clang-format in check mode and clang-tidy over the sources.
#   scripts/lint.sh            every file
#   scripts/lint.sh --changed  files changed since the merge base with origin/main (or
#                              main); on main itself, since LINT_BASE
#                              (a commit or "A..B" range CI gives) or the previous commit
#   scripts/lint.sh --format   the format check alone (what make test runs)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
mode=${1:-all}

patterns=('src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp')
if [ "$mode" = "--changed" ]; then
  base=
  main=$(git rev-parse -q --verify origin/main || git rev-parse -q --verify main || true)
  if [ -n "$main" ]; then
    base=$(git merge-base HEAD "$main" || true)
    # A clean clone of main: nothing differs from its own merge base.
    if [ "$base" = "$(git rev-parse HEAD)" ]; then base=; fi
  fi
  range=
  if [ -z "$base" ]; then
    if [ -n "${LINT_BASE:-}" ]; then
      case "$LINT_BASE" in *..*) range=$LINT_BASE ;; *) base=$LINT_BASE ;; esac
    else
      base=$(git rev-parse -q --verify HEAD~1 || true)
    fi
  fi
  if [ -n "$range" ]; then
    mapfile -t files < <(git diff --name-only --diff-filter=ACMR "$range" -- "${patterns[@]}")
  elif [ -n "$base" ]; then
    # Committed and uncommitted changes alike.
    mapfile -t files < <(git diff --name-only --diff-filter=ACMR "$base" -- "${patterns[@]}")
  else
    mapfile -t files < <(git ls-files "${patterns[@]}") # one commit only: all of it
  fi
  echo "lint: ${#files[@]} changed files (since ${range:-${base:-the start}})"
else
  mapfile -t files < <(git ls-files "${patterns[@]}")
fi
[ ${#files[@]} -gt 0 ] || { echo "lint: no files"; exit 0; }

# The sources are formatted with one clang-format: another version formats some lines
# differently. CI must have it; elsewhere the check says what it wants and steps aside.
want=14
have=$(clang-format --version 2>/dev/null | grep -oE 'version [0-9]+' | head -1 | cut -d' ' -f2)
if [ "$have" != "$want" ]; then
  if [ "${CI:-}" = "true" ]; then
    echo "lint: CI needs clang-format $want, found ${have:-none}"
    exit 1
  fi
  # clang-tidy of another version judges differently too: both are skipped.
  echo "lint: skipped: the sources are formatted with clang-format $want, this is ${have:-not installed}"
  exit 0
fi

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
# A changed header is checked through its own source file.
for f in "${files[@]}"; do
  case "$f" in
    src/*.cpp) sources+=("$f") ;;
    src/*.h) [ -f "${f%.h}.cpp" ] && sources+=("${f%.h}.cpp") ;;
  esac
done
mapfile -t sources < <(printf '%s\n' "${sources[@]}" | sort -u | grep . || true)
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
