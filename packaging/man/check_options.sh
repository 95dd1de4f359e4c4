#!/bin/sh
# The long options a man page names and those the program itself names are the same,
# so a page cannot lag behind a new option (or keep one that went).
#   check_options.sh PAGE PROGRAM            options of "PROGRAM --help"
#   check_options.sh PAGE PROGRAM commands   also of "PROGRAM help COMMAND" for each
#                                            command its --help lists
#   check_options.sh PAGE --source FILE...   options spelt as "--name" in the sources
#                                            (a program without a help text)
set -u
page=$1
shift
texts=$(mktemp)
trap 'rm -f "$texts"' EXIT
options() { grep -o -- '--[a-z][a-z0-9-]*' | sort -u; }

if [ "$1" = --source ]; then
    shift
    grep -ho -- '"--[a-z][a-z0-9-]*"' "$@" | tr -d '"' >"$texts"
else
    program=$1
    "$program" --help >"$texts" || { echo "$program --help failed"; exit 1; }
    if [ "${2:-}" = commands ]; then
        # The words under "Commands:" up to the next blank line.
        for command in $(sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z]*\) .*/\1/p' "$texts"); do
            [ "$command" = help ] && continue
            "$program" help "$command" >>"$texts" || { echo "$program help $command failed"; exit 1; }
        done
    fi
fi

# roff writes a dash as \-.
sed 's/\\-/-/g' "$page" | options >"$texts.page"
options <"$texts" >"$texts.program"
missing=$(comm -23 "$texts.program" "$texts.page")
extra=$(comm -13 "$texts.program" "$texts.page")
rm -f "$texts.page" "$texts.program"
status=0
if [ -n "$missing" ]; then
    echo "$(basename "$page") lacks:" $missing
    status=1
fi
if [ -n "$extra" ]; then
    echo "$(basename "$page") names what the program does not:" $extra
    status=1
fi
exit $status
