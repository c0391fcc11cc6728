#!/bin/sh
# Refreshes the .ts sources from the code and the forms. Chinese is the source language,
# so the zh_CN files translate every text to itself (an empty .qm could not be installed);
# English texts are filled in by hand in the *_en_CN.ts files.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
cd "$top"
lupdate=${LUPDATE:-lupdate}
for lang in zh_CN en_CN; do
  "$lupdate" -silent -locations none -no-obsolete viewer common -ts "$here/VexoCam_$lang.ts"
  "$lupdate" -silent -locations none -no-obsolete ipconfig common -ts "$here/Addrwright_$lang.ts"
  "$lupdate" -silent -locations none -no-obsolete upgrade common -ts "$here/Flashmere_$lang.ts"
done
for f in "$here"/*_zh_CN.ts; do
  # <translation type="unfinished"></translation> after <source>X</source> becomes X
  # (also when a disambiguating <comment> stands between them)
  perl -0pi -e 's{<source>([^<]*)</source>(\s*(?:<comment>[^<]*</comment>\s*)?)<translation type="unfinished">[^<]*</translation>}{<source>$1</source>$2<translation>$1</translation>}g' "$f"
  sed -i 's/<TS version="2.1" language="[^"]*"/<TS version="2.1" language="zh_CN"/' "$f"
done
for f in "$here"/*_en_CN.ts; do
  sed -i 's/<TS version="2.1" language="[^"]*"/<TS version="2.1" language="en"/' "$f"
  if grep -q 'type="unfinished"' "$f"; then
    echo "$(basename "$f"): untranslated texts remain" >&2
  fi
done
