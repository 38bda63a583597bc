#!/usr/bin/env bash
# Fails when a text of the program has no English translation. For each layer it runs lupdate
# over the layer's sources into a copy of its Linguist file (the file in i18n/ stays as it
# is), so that a text wrapped for translation that nobody translated yet shows up as
# unfinished, as does an entry left unfinished or empty in the file itself.
#
#   check-translations.sh LUPDATE SOURCE_FOLDER WORK_FOLDER LAYER...
set -euo pipefail
lupdate="$1"
source="$2"
work="$3"
shift 3

rm -rf "$work"
mkdir -p "$work"
failed=0
for layer in "$@"; do
    copy="$work/brevik_en_$layer.ts"
    if [[ -f "$source/i18n/brevik_en_$layer.ts" ]]; then
        cp "$source/i18n/brevik_en_$layer.ts" "$copy"
    fi
    # "-I .": lupdate places a text in its class by reading the class's header; with no way to
    # the header it files the text under a context the program never asks for, and that text
    # stays Chinese. Whatever lupdate says beyond the folder it scans is such a warning, and
    # fails the check too.
    if ! (cd "$source" && "$lupdate" "$layer" -recursive -I . -source-language zh_CN \
            -target-language en -locations none -no-obsolete -silent -ts "$copy") \
            >"$work/$layer.log" 2>&1 ||
        grep -qv "^Scanning directory " "$work/$layer.log"; then
        echo "i18n: lupdate over $layer/:" >&2
        cat "$work/$layer.log" >&2
        failed=1
    fi
    # lupdate writes one element a line: a message's context, its source (whose first line is
    # enough to find it), then its translation or numerus forms.
    awk -v file="i18n/brevik_en_$layer.ts" '
        /<name>/ { context = $0; sub(/.*<name>/, "", context); sub(/<\/name>.*/, "", context) }
        /<message/ { missing = 0; text = "" }
        /<source>/ { text = $0; sub(/.*<source>/, "", text); sub(/<\/source>.*/, "", text) }
        /type="unfinished"|<translation><\/translation>|<translation\/>|<numerusform><\/numerusform>|<numerusform\/>/ {
            missing = 1
        }
        /<\/message>/ && missing {
            printf "i18n: %s: no English for %s: \"%s\"\n", file, context, text
            found = 1
        }
        END { exit found }' "$copy" >&2 || failed=1
done
if ((failed)); then
    echo "i18n: every text needs its English translation in i18n/brevik_en_LAYER.ts; refresh a file with" >&2
    echo "  lupdate LAYER -recursive -I . -source-language zh_CN -target-language en -locations none -no-obsolete -ts i18n/brevik_en_LAYER.ts" >&2
fi
exit "$failed"
