#include "settings.h"

#include "numbers.h"
#include "texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace tavrin {

namespace {

constexpr char kCodec[] = "windows-31j";
constexpr int kTextLineCount = 5; // lines 2..6

using texts::str;

QString cfgName()
{
    return QLatin1String(texts::settingsFile);
}

// Long garbage in a field must not turn the start-up notice into a wall of text.
QString shown(const QString &value)
{
    constexpr qsizetype kMax = 40;
    return value.size() <= kMax ? value : value.left(kMax) + u'…';
}

QString decode(const QByteArray &bytes, bool *bad = nullptr)
{
    QStringDecoder d(kCodec, QStringConverter::Flag::Stateless);
    const QString s = d.decode(bytes);
    if (bad)
        *bad = d.hasError();
    return s;
}

// Characters that Shift-JIS cannot hold become '?', as the system's own
// conversion does; the rest of the text is kept.
QByteArray encode(const QString &text)
{
    QString oneLine = text;
    // A line break would shift every later line on the next start.
    oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
    QStringEncoder e(kCodec, QStringConverter::Flag::Stateless);
    QByteArray out = e.encode(oneLine);
    if (!e.hasError())
        return out;
    out.clear();
    for (qsizetype i = 0; i < oneLine.size();) {
        const qsizetype n = (oneLine[i].isHighSurrogate() && i + 1 < oneLine.size()) ? 2 : 1;
        QStringEncoder one(kCodec, QStringConverter::Flag::Stateless);
        const QByteArray b = one.encode(QStringView(oneLine).mid(i, n));
        out += one.hasError() ? QByteArray("?") : b;
        i += n;
    }
    return out;
}

// Lines end at CR LF, a lone LF or a lone CR. A final line end closes the last
// line and opens none, so "a\r\n" has one line and "a\r\n\r\n" two (the second
// empty); a last line without a line end still counts.
QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char ch = bytes[i];
        if (ch != '\r' && ch != '\n')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (ch == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

void setDefaults(ExamState &st)
{
    st.time1 = defaults::time1;
    st.time2 = defaults::time2;
    st.cycle = defaults::cycle;
    st.c[1] = QLatin1String(texts::defaultCue1);
    st.c[2] = QLatin1String(texts::defaultCue2);
    st.c[3] = QLatin1String(texts::defaultCue3);
    st.message1 = str(texts::defaultMessage1);
    st.message2 = str(texts::defaultMessage2);
    st.tamasu = defaults::tamasu;
    st.fkc = defaults::fkc;
    st.rawTextLines.fill(std::nullopt);
}

// The text lines 2..6 in file order.
constexpr const char *kTextNames[kTextLineCount] = {
    texts::cfgCue1, texts::cfgCue2, texts::cfgCue3, texts::cfgMessage1, texts::cfgMessage2,
};

std::array<QString *, kTextLineCount> textFields(ExamState &st)
{
    return {&st.c[1], &st.c[2], &st.c[3], &st.message1, &st.message2};
}

std::array<const QString *, kTextLineCount> textFields(const ExamState &st)
{
    return {&st.c[1], &st.c[2], &st.c[3], &st.message1, &st.message2};
}

class Loader {
public:
    Loader(ExamState &st, SettingsLoadReport &rep, QString path)
        : st_(st), rep_(rep), path_(std::move(path))
    {
    }

    void problem(const QString &text)
    {
        rep_.problems << text;
        rep_.complete = false;
    }

    // Reads one numeric field into target; a refused value leaves the default
    // that target already holds. accept tells whether a number is usable.
    void number(const QString &field, int line, const char *name, Integer &target,
                const char *refusal = nullptr,
                const std::function<bool(Integer)> &accept = {})
    {
        const IntegerReading r = readFieldInteger(field);
        const char *reason = nullptr;
        if (r.status == IntegerReading::Status::NotANumber)
            reason = texts::cfgNotANumber;
        else if (r.status == IntegerReading::Status::OutOfRange)
            reason = texts::cfgOutOfRange;
        else if (accept && !accept(r.value))
            reason = refusal;
        if (!reason) {
            target = r.value;
            return;
        }
        problem(str(texts::cfgBadValue)
                    .arg(path_, QString::number(line), str(name), shown(field), str(reason),
                         target.toString()));
    }

    void load(const QByteArray &bytes)
    {
        const QList<QByteArray> lines = splitLines(bytes);
        if (lines.isEmpty()) {
            problem(str(texts::cfgEmpty).arg(path_));
            return;
        }
        firstLine(decode(lines[0]));

        const auto fields = textFields(st_);
        for (int i = 0; i < kTextLineCount && i + 1 < lines.size(); ++i) {
            const QByteArray &raw = lines[i + 1];
            bool bad = false;
            *fields[static_cast<std::size_t>(i)] = decode(raw, &bad);
            st_.rawTextLines[static_cast<std::size_t>(i)] = raw;
            if (bad)
                problem(str(texts::cfgBadText)
                            .arg(path_, QString::number(i + 2), str(kTextNames[i])));
        }
        if (lines.size() < 6) {
            QStringList missing;
            for (int i = static_cast<int>(lines.size()) - 1; i < kTextLineCount; ++i)
                missing << str(texts::cfgDefaultItem)
                               .arg(str(kTextNames[i]), *fields[static_cast<std::size_t>(i)]);
            problem(str(texts::cfgTooShort)
                        .arg(path_, QString::number(lines.size()), missing.join(str(texts::cfgListSeparator))));
            return;
        }

        // Lines 7 and 8 may be left out; an empty line is a value that is
        // there and reads as no number.
        if (lines.size() > 6)
            number(decode(lines[6]), 7, texts::cfgTamasu, st_.tamasu, texts::cfgTamasuTooSmall,
                   [](Integer v) { return v >= 1; });
        if (lines.size() > 7)
            number(decode(lines[7]), 8, texts::cfgFkc, st_.fkc, texts::cfgFkcOutOfRange,
                   [](Integer v) { return v >= 0 && v <= 2; });

        // Anything after line 8 is dropped by the next save; blank lines are
        // harmless, anything else is worth a word.
        for (qsizetype i = 8; i < lines.size(); ++i) {
            if (!lines[i].isEmpty()) {
                problem(str(texts::cfgTrailing)
                            .arg(path_, QString::number(i + 1), shown(decode(lines[i]))));
                break;
            }
        }
    }

private:
    // Three comma-separated numbers. A missing one keeps its default; extra
    // ones are reported, since the next save would drop them.
    void firstLine(const QString &line)
    {
        const QStringList fields = line.split(u',');
        const char *names[3] = {texts::cfgTime1, texts::cfgTime2, texts::cfgCycle};
        Integer *targets[3] = {&st_.time1, &st_.time2, &st_.cycle};
        for (int k = 0; k < 3; ++k) {
            if (k < fields.size())
                number(fields[k], 1, names[k], *targets[k]);
            else
                problem(str(texts::cfgFieldMissing)
                            .arg(path_, str(names[k]), targets[k]->toString()));
        }
        if (fields.size() > 3)
            problem(str(texts::cfgExtraFields).arg(path_, shown(fields.mid(3).join(u','))));
    }

    ExamState &st_;
    SettingsLoadReport &rep_;
    QString path_;
};

bool isPresent(const QString &dir)
{
    const QString name = cfgName();
    // Only ordinary files (or links to them) count, and only under the exact name.
    const QStringList found =
        QDir(dir).entryList({name}, QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    return found.contains(name, Qt::CaseSensitive);
}

enum class WriteFailure { None, Open, Write, Replace, Damaged };

QString errorOf(const QFileDevice &f)
{
    // A write cut short by a full disk sets no error of its own.
    return f.error() != QFileDevice::NoError ? f.errorString() : QString::fromLocal8Bit(std::strerror(errno));
}

// Puts bytes in place of what the open file holds and reads them back;
// empty when that worked, otherwise why not.
QString overwrite(QFile &f, const QByteArray &bytes)
{
    errno = 0;
    if (!f.seek(0) || f.write(bytes) != bytes.size() || !f.resize(bytes.size()) || ::fsync(f.handle()) != 0)
        return errorOf(f);
    if (!f.seek(0) || f.readAll() != bytes)
        return str(texts::cfgReadBackDiffers);
    return {};
}

// For a folder that takes no new file (a locked-down exam folder) while the
// file in it may still be written: the file is rewritten where it stands.
// What it held stays in memory and goes back in when the new bytes do not
// all arrive; only a failure of that too (or a crash between the two) leaves
// the file damaged.
WriteFailure rewriteInPlace(const QString &path, const QByteArray &bytes, QString *detail)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        *detail = f.errorString();
        return WriteFailure::Open;
    }
    const QByteArray old = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        *detail = f.errorString();
        return WriteFailure::Open;
    }
    *detail = overwrite(f, bytes);
    if (detail->isEmpty())
        return WriteFailure::None;
    return overwrite(f, old).isEmpty() ? WriteFailure::Write : WriteFailure::Damaged;
}

// Writes bytes to path completely or not at all, through a replacement made
// beside it; where that cannot be made, over an existing file in place.
// detail says why not.
WriteFailure writeWhole(const QString &path, const QByteArray &bytes, QString *detail)
{
    QSaveFile out(path);
    // Unbuffered, so that a short write shows here: Qt 6.4 commits a file
    // whose buffered bytes did not all reach the disk and reports success.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *detail = out.errorString();
        if (QFileInfo(path).isFile()) {
            QString why;
            const WriteFailure inPlace = rewriteInPlace(path, bytes, &why);
            if (inPlace != WriteFailure::Open) {
                *detail = why;
                return inPlace;
            }
        }
        return WriteFailure::Open;
    }
    if (out.write(bytes) != bytes.size()) {
        *detail = errorOf(out);
        out.cancelWriting();
        return WriteFailure::Write; // the temporary file goes with out
    }
    if (!out.commit()) {
        *detail = out.errorString();
        return WriteFailure::Replace;
    }
    return WriteFailure::None;
}

} // namespace

SettingsLoadReport loadSettings(ExamState &st, const QString &dir)
{
    setDefaults(st);
    SettingsLoadReport rep;
    if (!isPresent(dir))
        return rep;
    rep.present = true;

    const QString path = QDir(dir).absoluteFilePath(cfgName());
    Loader loader(st, rep, QDir::toNativeSeparators(path));
    QFile f(path);
    QByteArray bytes;
    // Eight short lines never come near this; anything larger is not ours
    // and must not be read whole into memory.
    constexpr qint64 kMaxSize = 1 << 20;
    if (f.open(QIODevice::ReadOnly))
        bytes = f.read(kMaxSize + 1);
    if (bytes.size() > kMaxSize) {
        loader.problem(str(texts::cfgUnreadable).arg(QDir::toNativeSeparators(path), str(texts::cfgTooLarge)));
    } else if (f.error() != QFileDevice::NoError) {
        // Nothing from a file that was only partly read: all defaults.
        loader.problem(str(texts::cfgUnreadable).arg(QDir::toNativeSeparators(path), f.errorString()));
    } else {
        loader.load(bytes);
    }
    if (!rep.complete)
        loader.problem(str(texts::cfgKeepOriginal).arg(QLatin1String(texts::backupFile)));
    return rep;
}

SettingsSaveReport saveSettings(const ExamState &st, const QString &dir, bool keepBackup)
{
    SettingsSaveReport rep;
    const QDir d(dir);
    const QString path = d.absoluteFilePath(cfgName());

    QByteArray out;
    const QByteArray eol("\r\n");
    out += (st.time1.toString() + u',' + st.time2.toString() + u',' + st.cycle.toString())
               .toLatin1()
        + eol;
    const auto fields = textFields(st);
    for (int i = 0; i < kTextLineCount; ++i) {
        const QString &text = *fields[static_cast<std::size_t>(i)];
        const auto &raw = st.rawTextLines[static_cast<std::size_t>(i)];
        // The bytes read are written back as long as the text is still what
        // they decode to: a text that does not survive decoding stays intact.
        out += (raw && decode(*raw) == text) ? *raw : encode(text);
        out += eol;
    }
    out += st.tamasu.toString().toLatin1() + eol;
    out += st.fkc.toString().toLatin1() + eol;

    if (keepBackup && isPresent(dir)) {
        const QString bak = d.absoluteFilePath(QLatin1String(texts::backupFile));
        const QString bakShown = QDir::toNativeSeparators(bak);
        QFile old(path);
        QByteArray oldBytes;
        if (old.open(QIODevice::ReadOnly))
            oldBytes = old.readAll();
        if (old.error() != QFileDevice::NoError) {
            rep.error = str(texts::cfgBackupFailed).arg(bakShown, old.errorString());
            rep.noCopy = true;
            return rep;
        }
        QString why;
        if (writeWhole(bak, oldBytes, &why) != WriteFailure::None) {
            rep.error = str(texts::cfgBackupFailed).arg(bakShown, why);
            rep.noCopy = true;
            return rep;
        }
        rep.backupPath = bak;
    }

    QString why;
    switch (writeWhole(path, out, &why)) {
    case WriteFailure::None:
        rep.ok = true;
        break;
    case WriteFailure::Open:
        rep.error = str(texts::cfgOpenFailed).arg(why);
        break;
    case WriteFailure::Write:
        rep.error = str(texts::cfgWriteFailed).arg(why);
        break;
    case WriteFailure::Replace:
        rep.error = str(texts::cfgReplaceFailed).arg(why);
        break;
    case WriteFailure::Damaged:
        rep.error = str(texts::cfgDamaged).arg(why);
        break;
    }
    return rep;
}

} // namespace tavrin
