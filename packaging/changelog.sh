#!/bin/sh
# Writes changelog.Debian for this release to standard output: one entry listing the
# changes from the git history (subjects, oldest first), dated with the last commit so
# that rebuilding the same commit gives the same file. Without git (a source tarball)
# the entry names the release only.
# usage: changelog.sh VERSION-REVISION "Maintainer <address>" SOURCE_DIR
set -eu
version=$1 maintainer=$2 src=$3
if subjects=$(git -C "$src" log --reverse --no-merges --format='%s' 2>/dev/null) && [ -n "$subjects" ]; then
  date=$(git -C "$src" log -1 --format='%aD')
else
  subjects="Release ${version%-*}."
  date=$(LC_ALL=C date -R -u -d "@${SOURCE_DATE_EPOCH:-0}")
fi
echo "vx5x-tool ($version) unstable; urgency=medium"
echo
# One item per subject, wrapped at 78 columns under its bullet.
echo "$subjects" | awk '{
  line = "  *"; n = split($0, w, " ")
  for (i = 1; i <= n; i++) {
    if (length(line) + 1 + length(w[i]) > 78 && line != "  *") { print line; line = "   " }
    line = line " " w[i]
  }
  print line
}'
echo
echo " -- $maintainer  $date"
