#!/bin/sh
# Brings every translation file up to date with engine/texts.h: texts still
# in the old style are made translatable first, then lupdate adds the new
# source texts (untranslated, so the translation test names them) and drops
# the ones gone. A new language: copy translations/tavrin_en.ts to
# tavrin_<code>.ts and translate it; the build embeds it as it is.
set -eu
cd "$(dirname "$0")/.."
python3 scripts/texts-to-tr.py engine/texts.h
# Call sites that made a QString of an old-style text themselves.
grep -rlE --include='*.cpp' --include='*.h' 'QString::fromUtf16\(texts::' \
    app display engine journal rooms sound web desktop fuzz tests bench tools 2>/dev/null |
  xargs -r sed -i -E 's/QString::fromUtf16\(texts::([A-Za-z0-9_]+)\)/texts::str(texts::\1)/g'
lupdate=$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
for ts in translations/tavrin_*.ts; do
  "$lupdate" -silent -no-obsolete -locations none engine/texts.h -ts "$ts"
done
