#!/usr/bin/env python3
"""Turns the old-style entries of engine/texts.h (char16_t, u"...") into
translatable ones (char, QT_TRANSLATE_NOOP("texts", "...")), so that lupdate
finds them. Entries already translatable are left alone; running it twice
changes nothing. A whole texts.h of the old style (one merged from a
branch that predates the translations) is brought to the translatable form
in full, its own functions included. Usage: scripts/texts-to-tr.py [engine/texts.h]"""
import re
import sys

CONTEXT = "texts"


def literals(body):
    """Splits an initializer into tokens: ('str', text-with-quotes) or ('other', text)."""
    out, i, n = [], 0, len(body)
    while i < n:
        if body[i] == '"' or (body.startswith('u"', i) and (i == 0 or not (body[i - 1].isalnum() or body[i - 1] == '_'))):
            start = i + (1 if body[i] == 'u' else 0)
            j = start + 1
            while body[j] != '"':
                j += 2 if body[j] == '\\' else 1
            out.append(('str', body[start:j + 1]))
            i = j + 1
        else:
            j = i
            while j < n and body[j] != '"' and not (body.startswith('u"', j) and not (body[j - 1].isalnum() or body[j - 1] == '_')):
                j += 1
            out.append(('other', body[i:j]))
            i = j
    return out


def unescape_unicode(s):
    # lupdate does not read \uXXXX in narrow literals: write the character.
    return re.sub(r'\\u([0-9a-fA-F]{4})', lambda m: chr(int(m.group(1), 16)), s)


def wrap(body):
    """Wraps every run of adjacent literals in QT_TRANSLATE_NOOP."""
    toks, res, run = literals(body), [], []

    def flush():
        if run:
            res.append('QT_TRANSLATE_NOOP("%s", %s)' % (CONTEXT, ''.join(run)))
            run.clear()

    for kind, text in toks:
        if kind == 'str':
            run.append(unescape_unicode(text))
        elif run and text.strip() == '':
            run.append(text)
        else:
            flush()
            res.append(text)
    flush()
    return ''.join(res)


DECL = re.compile(r'inline constexpr char16_t (\w+)((?:\[\w*\])+)(\s*=\s*)(.*?);([ \t]*(?://[^\n]*)?\n)', re.S)


def convert_decl(m):
    name, dims, eq, body, end = m.group(1), m.group(2), m.group(3), m.group(4), ';' + m.group(5)
    if 'TAVRIN_VERSION' in body:
        return m.group(0)
    dims = re.findall(r'\[(\w*)\]', dims)
    if len(dims) == 1:
        return 'inline constexpr char %s[]%s%s%s' % (name, eq, wrap(body), end)
    # A table of texts: an array of pointers, one dimension less.
    return 'inline constexpr const char *%s[%s]%s%s%s' % (name, dims[0], eq, wrap(body), end)


def convert(src):
    src = DECL.sub(convert_decl, src)
    # Tables of structs holding texts (eventNames): their u"..." members.
    def table(m):
        return m.group(1) + re.sub(r'(?<![\w"])u("(?:[^"\\]|\\.)*")',
                                   lambda s: 'QT_TRANSLATE_NOOP("%s", %s)' % (CONTEXT, s.group(1)), m.group(2)) + m.group(3)
    src = re.sub(r'(inline constexpr \w+ \w+\[\] = \{)(.*?)(\};\n)', table, src, flags=re.S)
    src = src.replace('const char16_t *name;', 'const char *name;')
    return src


# What the translatable table has beyond its entries: brought into a
# texts.h of the old style (say, one merged from a branch that predates
# it), so that converting that file gives the translatable one again.
HEADER = '// Every text the program shows or stores, in one place. The texts are the\n// Japanese originals; each goes through Qt\'s translation, so that a language\n// chosen at start (translations/tavrin_*.ts) shows instead. File names are\n// never translated. After adding texts, scripts/texts-to-tr.py and\n// scripts/update-translations.sh bring the translation files up to date.\nnamespace tavrin::texts {\n\n// The context every text is translated in.\ninline constexpr char context[] = "texts";\n\n// One of the texts below as a QString, in the chosen language.\ninline QString str(const char *s)\n{\n    return QCoreApplication::translate(context, s);\n}\n\n// A text not yet made translatable (old style, u"..."): shown as it is.\ninline QString str(const char16_t *s)\n{\n    return QString::fromUtf16(s);\n}\n\n// The window\'s title; the version is filled in.\ninline constexpr char windowCaptionForm[] = QT_TRANSLATE_NOOP("texts", "Vornelの繰り返しタイマー\u3000Tavrin ver. %1");\ninline QString windowCaption()\n{\n    return str(windowCaptionForm).arg(QString::fromUtf16(TAVRIN_VERSION));\n}\n\n'
OLD_HEADER = '// Every text the program shows or stores, in one place\\.\\nnamespace tavrin::texts \\{\\n\\n// One of the texts below as a QString\\.\\ninline QString str\\(const char16_t \\*s\\)\\n\\{\\n    return QString::fromUtf16\\(s\\);\\n\\}\\n\\ninline constexpr char16_t windowCaption\\[\\] = [^\\n]*\\n\\n'
RECORD_COLUMN = '// The headers have a context of their own: "問", "秒" are words in full here\n// but the window\'s short captions elsewhere.\ninline QString recordColumn(const char *s)\n{\n    return QCoreApplication::translate("record", s);\n}\n'
LANGUAGE = '// The language (F3, --language, [ui] language of the options file). The\n// entry reads in both languages, for whoever cannot read the current one.\ninline constexpr char languageToEnglish[] = QT_TRANSLATE_NOOP("texts", "言語 / Language → English");\ninline constexpr char languageToJapanese[] = QT_TRANSLATE_NOOP("texts", "言語 / Language → 日本語");\ninline constexpr char languageJapanese[] = QT_TRANSLATE_NOOP("texts", "日本語");\ninline constexpr char languageEnglish[] = QT_TRANSLATE_NOOP("texts", "英語");\ninline constexpr char languageChosen[] =\n    QT_TRANSLATE_NOOP("texts", "次に起動したときから%1で表示します（オプションファイル %2 に保存しました）。"\n                               "今の表示はこのまま変わりません。");\ninline constexpr char languageRefused[] =\n    QT_TRANSLATE_NOOP("texts", "表示の言語「%1」（--language かオプションファイルの [ui] language）は使えません"\n                               "（ja か en だけ）。日本語で表示しています。");\ninline constexpr char cliLanguage[] = QT_TRANSLATE_NOOP("texts", "表示の言語 LANG（ja: 日本語、en: 英語）。");\ninline constexpr char cliLang[] = QT_TRANSLATE_NOOP("texts", "LANG");\n\n'


def adopt(src):
    if 'windowCaptionForm' not in src:
        src = re.sub(OLD_HEADER, lambda m: HEADER, src, count=1)
        src = src.replace('#include <QString>\n', '#include <QCoreApplication>\n#include <QString>\n', 1)
    src = src.replace('inline constexpr char helpFile[] = "Tavrin.chm";\n',
                      'inline constexpr char helpFile[] = "Tavrin.chm"; // Tavrin-<code>.chm in other languages\n', 1)
    if 'recordColumn(' not in src:
        src = src.replace('// The events, by the key the journal stores.\n',
                          RECORD_COLUMN + '// The events, by the key the journal stores.\n', 1)
    m = re.search(r'recordColumns\[\w*\][^;]*;', src, re.S)
    if m:
        src = src[:m.start()] + m.group(0).replace('QT_TRANSLATE_NOOP("texts",', 'QT_TRANSLATE_NOOP("record",') + src[m.end():]
    if 'languageToEnglish' not in src:
        src = src.replace('} // namespace tavrin::texts', LANGUAGE + '} // namespace tavrin::texts', 1)
    return src


if __name__ == '__main__':
    path = sys.argv[1] if len(sys.argv) > 1 else 'engine/texts.h'
    with open(path, encoding='utf-8') as f:
        src = f.read()
    out = adopt(convert(src))
    if out != src:
        with open(path, 'w', encoding='utf-8') as f:
            f.write(out)
