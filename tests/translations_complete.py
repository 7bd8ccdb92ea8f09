#!/usr/bin/env python3
"""Every source text of engine/texts.h has a translation in every shipped
.ts file. lupdate reads the texts afresh into a copy of each file, so a text
added without a translation is named, as is one whose .ts entry is gone."""
import pathlib, shutil, subprocess, sys, tempfile
import xml.etree.ElementTree as ET

lupdate, top = sys.argv[1], pathlib.Path(sys.argv[2])
missing = []
# Texts still in the old style are out of lupdate's sight.
import re
for name in re.findall(r'inline constexpr char16_t (\w+)', (top / 'engine/texts.h').read_text(encoding='utf-8')):
    missing.append('engine/texts.h: %s is not translatable yet (run scripts/update-translations.sh)' % name)
for ts in sorted((top / 'translations').glob('tavrin_*.ts')):
    with tempfile.TemporaryDirectory() as tmp:
        copy = pathlib.Path(tmp) / ts.name
        shutil.copy(ts, copy)
        subprocess.run([lupdate, '-silent', '-no-obsolete', '-locations', 'none', str(top / 'engine/texts.h'),
                        '-ts', str(copy)], check=True)
        for ctx in ET.parse(copy).getroot().iter('context'):
            for m in ctx.iter('message'):
                t = m.find('translation')
                if t is None or t.get('type') == 'unfinished' or not (t.text or '').strip():
                    missing.append('%s: [%s] %s' % (ts.name, ctx.findtext('name'), m.findtext('source')))
for line in missing:
    print('untranslated:', line)
sys.exit(1 if missing else 0)
