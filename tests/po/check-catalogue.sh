#!/bin/bash
# check-catalogue.sh SOURCE_DIR: po/en.po against the texts the sources mark with Tr/TrNoop.
# Fails when a marked text has no entry, an entry is fuzzy, empty or obsolete, or names a text
# the sources no longer mark, and when msgfmt --check finds fault with the catalogue.
set -u
src=$1
po=$src/po/en.po
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

(cd "$src" && find foundation app image catalogue options production writer cli gui \
    \( -name '*.cpp' -o -name '*.h' \) | sort) >"$tmp/files"
xgettext --language=C++ --from-code=UTF-8 --keyword= --keyword=Tr --keyword=TrNoop \
    --package-name=orvane --directory="$src" -f "$tmp/files" -o "$tmp/orvane.pot" 2>"$tmp/xgettext" ||
    { cat "$tmp/xgettext"; exit 1; }

msgfmt --check -o /dev/null "$po" || fail "msgfmt --check"
# msgcmp fails on a marked text without a translated entry (missing, empty or fuzzy) and warns
# of an entry no marked text uses.
msgcmp "$po" "$tmp/orvane.pot" 2>"$tmp/msgcmp" || fail "texts without an English entry"
grep -q 'not used' "$tmp/msgcmp" && fail "entries for texts the sources no longer mark"
cat "$tmp/msgcmp"
for kind in only-fuzzy untranslated only-obsolete; do
    entries=$(msgattrib --$kind --no-wrap "$po" | grep '^\(#~ \)\?msgid "[^"]')
    [[ -z $entries ]] || fail "$kind entries: $entries"
done
echo "$(($(grep -c '^msgid' "$tmp/orvane.pot") - 1)) marked texts"
exit $status
