// The settings reader and writer on any file content. The input becomes
// Tavrin.cfg in a scratch directory; it is loaded, saved and loaded again.
//
// What must hold for every input:
// - nothing crashes or throws, the save succeeds;
// - tamasu >= 1 and fkc is 0..2 (the grid and the font list need them);
// - a save after a load that reported problems keeps the original as .bak;
// - what was saved loads back to the same values without a problem unless
//   the original had text lines that are not Shift-JIS (kept byte for byte,
//   so reported again), and saving that again gives the same bytes;
// - a file in the form the program writes, read without a problem, is
//   written back byte for byte.

#include "settings.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace tavrin;

namespace {

[[noreturn]] void fail(const char *what, const QByteArray &input)
{
    std::fprintf(stderr, "%s\ninput (hex): %s\n", what, input.left(400).toHex().constData());
    std::abort();
}

const QString &scratch()
{
    // Once per process; /dev/shm keeps the save's fsync off a real disk.
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/tavrin-fuzz-XXXXXX")
                                                       : QDir::tempPath() + QStringLiteral("/tavrin-fuzz-XXXXXX"));
    static const QString path = dir.path();
    if (!dir.isValid()) {
        std::fprintf(stderr, "no scratch directory\n");
        std::abort();
    }
    return path;
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

QByteArray read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

// A whole number as the program writes one: no sign but '-', no leading zero,
// no blank, within 16 bits.
bool canonicalNumber(const QByteArray &s)
{
    bool ok = false;
    const int v = s.toInt(&ok);
    return ok && v >= -32768 && v <= 32767 && QByteArray::number(v) == s;
}

// Exactly eight lines, each ended by CR LF and holding no other line end,
// the numbers written plainly.
bool canonicalFile(const QByteArray &bytes)
{
    QByteArrayList lines;
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype end = bytes.indexOf("\r\n", start);
        if (end < 0)
            return false;
        lines << bytes.mid(start, end - start);
        start = end + 2;
    }
    if (lines.size() != 8)
        return false;
    for (const QByteArray &l : lines)
        if (l.contains('\r') || l.contains('\n'))
            return false;
    const QByteArrayList first = lines[0].split(',');
    if (first.size() != 3)
        return false;
    for (const QByteArray &f : first)
        if (!canonicalNumber(f))
            return false;
    return canonicalNumber(lines[6]) && canonicalNumber(lines[7]);
}

bool sameValues(const ExamState &a, const ExamState &b)
{
    return a.time1 == b.time1 && a.time2 == b.time2 && a.cycle == b.cycle && a.tamasu == b.tamasu
        && a.fkc == b.fkc && a.c[1] == b.c[1] && a.c[2] == b.c[2] && a.c[3] == b.c[3]
        && a.message1 == b.message1 && a.message2 == b.message2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString &dir = scratch();
    const QString cfg = dir + QStringLiteral("/Tavrin.cfg");
    const QString bak = dir + QStringLiteral("/Tavrin.cfg.bak");
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QFile::remove(bak);
    write(cfg, input);

    ExamState first;
    const SettingsLoadReport r1 = loadSettings(first, dir);
    if (!r1.present)
        fail("the file was not found", input);
    if (r1.complete != r1.problems.isEmpty())
        fail("complete disagrees with the problems reported", input);
    if (first.tamasu < 1)
        fail("tamasu below 1 was taken", input);
    if (first.fkc < 0 || first.fkc > 2)
        fail("fkc outside 0..2 was taken", input);

    // As the program does on exit: a file read with problems is kept as .bak.
    const SettingsSaveReport s1 = saveSettings(first, dir, !r1.complete);
    if (!s1.ok)
        fail("the save failed", input);
    if (!r1.complete && read(bak) != input)
        fail("the .bak is not the original file", input);
    const QByteArray saved = read(cfg);
    if (r1.complete && canonicalFile(input) && saved != input)
        fail("a file in canonical form did not survive a load and save unchanged", input);
    if (!canonicalFile(saved))
        fail("the saved file is not in canonical form", input);

    ExamState second;
    const SettingsLoadReport r2 = loadSettings(second, dir);
    if (!sameValues(first, second))
        fail("the saved file does not load back to the same values", input);
    if (r1.complete && !r2.complete)
        fail("a file read without problems was saved into one with problems", input);

    const SettingsSaveReport s2 = saveSettings(second, dir, false);
    if (!s2.ok || read(cfg) != saved)
        fail("a second save gives different bytes", input);
    return 0;
}
