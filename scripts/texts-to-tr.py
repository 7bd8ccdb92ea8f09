#!/usr/bin/env python3
"""Turns the old-style entries of engine/texts.h (char16_t, u"...") into
translatable ones (char, QT_TRANSLATE_NOOP("texts", "...")), so that lupdate
finds them. Entries already translatable are left alone; running it twice
changes nothing. Usage: scripts/texts-to-tr.py [engine/texts.h]"""
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


if __name__ == '__main__':
    path = sys.argv[1] if len(sys.argv) > 1 else 'engine/texts.h'
    with open(path, encoding='utf-8') as f:
        src = f.read()
    out = convert(src)
    if out != src:
        with open(path, 'w', encoding='utf-8') as f:
            f.write(out)
