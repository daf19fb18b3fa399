#!/usr/bin/env bash
# The English manual against the Chinese one: the same chapter files, each showing the same pictures
# in the same order (the English from screenshots/en/), and no Chinese text left untranslated.
# Usage: check-manual-translation.sh SOURCE
set -uo pipefail
manual=$1/docs/manual
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# The pictures a chapter shows, named below the screenshot folder ($2) that the chapter uses.
pictures() { grep -oE '!\[[^]]*\]\([^)]+\)' "$1" | sed -E "s|^[^(]*\($2||; s|\)\$||"; }

diff <(cd "$manual" && ls ./*.md) <(cd "$manual/en" && ls ./*.md) >&2 || fail "the chapter files differ"
for chapter in "$manual"/*.md; do
    english=$manual/en/$(basename "$chapter")
    [ -f "$english" ] || continue
    diff <(pictures "$chapter" '\.\./screenshots/') <(pictures "$english" '\.\./\.\./screenshots/en/') >&2 ||
        fail "$(basename "$chapter"): other pictures"
done
LC_ALL=C.UTF-8 grep -nP '[\p{Han}\x{3000}-\x{303f}\x{ff00}-\x{ffef}]' "$manual"/en/*.md >&2 &&
    fail "Chinese text in the English manual"
[ "$failures" = 0 ] && echo "English manual: $(ls "$manual"/en/*.md | wc -l) chapters match the Chinese"
exit $((failures > 0))
