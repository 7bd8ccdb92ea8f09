#include "programme_file.h"

#include "texts.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <map>

namespace tavrin {

using texts::str;
using namespace programme_limits;

namespace {

const QString kBlock = QStringLiteral("block");
const QString kBreak = QStringLiteral("break");
const QString kQuestions = QStringLiteral("questions");
const QString kAnswer = QStringLiteral("answer");
const QString kMove = QStringLiteral("move");
const QString kReading = QStringLiteral("reading");
const QString kReadingBanner = QStringLiteral("reading banner");
const QString kReadingCue = QStringLiteral("reading cue");
const QString kSeconds = QStringLiteral("seconds");
const QString kBanner = QStringLiteral("banner");

const QStringList &keysOf(Part::Kind kind)
{
    static const QStringList block{kQuestions, kAnswer, kMove, kReading, kReadingBanner, kReadingCue};
    static const QStringList pause{kSeconds, kBanner};
    return kind == Part::Kind::Block ? block : pause;
}

const QStringList &requiredOf(Part::Kind kind)
{
    static const QStringList block{kQuestions, kAnswer, kMove};
    static const QStringList pause{kSeconds};
    return kind == Part::Kind::Block ? block : pause;
}

QString sectionOf(Part::Kind kind)
{
    return kind == Part::Kind::Block ? kBlock : kBreak;
}

// A value as it may be shown back to the operator: never the whole of a
// long line.
QString shown(const QString &value)
{
    return value.size() > 40 ? value.left(40) + u'…' : value;
}

// "Reading Banner", "reading_banner" and "reading  banner" are one key.
QString normalKey(const QString &key)
{
    QString k = key.toLower();
    k.replace(u'_', u' ').replace(u'-', u' ');
    return k.simplified();
}

// 1 .. kMaxNumber, written as a plain whole number; empty, or why not.
QString readNumber(const QString &key, const QString &value, int &out)
{
    const QString v = value.trimmed();
    bool digits = !v.isEmpty();
    for (qsizetype i = 0; i < v.size(); ++i)
        if (!(v[i].isDigit() && v[i].unicode() < 0x80) && !(i == 0 && (v[i] == u'-' || v[i] == u'+') && v.size() > 1))
            digits = false;
    if (!digits)
        return str(texts::programmeNotNumber).arg(key, shown(v)).arg(kMaxNumber);
    const bool negative = v.startsWith(u'-');
    QStringView magnitude = QStringView(v).mid(v[0].isDigit() ? 0 : 1);
    while (magnitude.size() > 1 && magnitude.front() == u'0')
        magnitude = magnitude.mid(1);
    const qlonglong n = magnitude.size() > 9 ? qlonglong(kMaxNumber) + 1 : magnitude.toLongLong();
    if (negative || n == 0)
        return str(texts::programmeNotPositive).arg(key, shown(v)).arg(kMaxNumber);
    if (n > kMaxNumber)
        return str(texts::programmeTooLarge).arg(key, shown(v)).arg(kMaxNumber);
    out = int(n);
    return {};
}

QString readYesNo(const QString &key, const QString &value, bool &out)
{
    const QString v = value.trimmed().toLower();
    static const QStringList yes{u"yes"_qs, u"true"_qs, u"on"_qs, u"1"_qs, u"はい"_qs};
    static const QStringList no{u"no"_qs, u"false"_qs, u"off"_qs, u"0"_qs, u"いいえ"_qs};
    if (yes.contains(v))
        out = true;
    else if (no.contains(v))
        out = false;
    else
        return str(texts::programmeNotYesNo).arg(key, shown(value.trimmed()));
    return {};
}

QString checkBanner(const QString &key, const QString &text)
{
    if (text.size() > kMaxBanner)
        return str(texts::programmeBannerTooLong).arg(key).arg(text.size()).arg(kMaxBanner);
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return str(texts::programmeBannerControl).arg(key);
    return {};
}

// The bounds of one part, each number and the block as a whole.
QString checkPart(const Part &p)
{
    const auto number = [](const QString &key, int v) -> QString {
        if (v <= 0)
            return str(texts::programmeNotPositive).arg(key).arg(v).arg(kMaxNumber);
        if (v > kMaxNumber)
            return str(texts::programmeTooLarge).arg(key).arg(v).arg(kMaxNumber);
        return {};
    };
    QString why;
    if (p.kind == Part::Kind::Break) {
        if (!(why = number(kSeconds, p.seconds)).isEmpty() || !(why = checkBanner(kBanner, p.banner)).isEmpty())
            return why;
        return {};
    }
    for (const auto &[key, v] : {std::pair{kQuestions, p.questions}, {kAnswer, p.answer}, {kMove, p.move}})
        if (!(why = number(key, v)).isEmpty())
            return why;
    if (p.reading != 0 && !(why = number(kReading, p.reading)).isEmpty())
        return why;
    if (!(why = checkBanner(kReadingBanner, p.readingBanner)).isEmpty())
        return why;
    if (p.length() > kMaxNumber)
        return str(texts::programmeBlockTooLong)
            .arg(p.reading)
            .arg(p.answer)
            .arg(p.move)
            .arg(p.questions)
            .arg(p.length())
            .arg(kMaxNumber);
    return {};
}

ProgrammeRead refuse(int line, const QString &why)
{
    return ProgrammeRead{std::nullopt, line, why};
}

// One part while its section is read.
struct Section {
    Part part;
    int line = 0;
    std::map<QString, int> keys; // each key met, with its line
};

// A section complete: its required keys there, its bounds kept.
QString finish(const Section &s)
{
    QStringList missing;
    for (const QString &k : requiredOf(s.part.kind))
        if (!s.keys.count(k))
            missing << k;
    if (!missing.isEmpty())
        return str(texts::programmeMissingKey)
            .arg(sectionOf(s.part.kind), missing.join(u"」「"), requiredOf(s.part.kind).join(u", "));
    return checkPart(s.part);
}

// Sets key of the part to value: empty, or why not.
QString apply(Part &p, const QString &key, const QString &value)
{
    if (key == kQuestions)
        return readNumber(key, value, p.questions);
    if (key == kAnswer)
        return readNumber(key, value, p.answer);
    if (key == kMove)
        return readNumber(key, value, p.move);
    if (key == kReading)
        return readNumber(key, value, p.reading);
    if (key == kSeconds)
        return readNumber(key, value, p.seconds);
    if (key == kReadingCue)
        return readYesNo(key, value, p.readingCue);
    QString &text = key == kBanner ? p.banner : p.readingBanner;
    text = value;
    return checkBanner(key, text);
}

} // namespace

QString ProgrammeRead::describe() const
{
    return line > 0 ? str(texts::programmeLine).arg(line).arg(error) : error;
}

QString checkProgramme(const Programme &programme)
{
    if (programme.parts.empty())
        return str(texts::programmeNoParts);
    if (programme.parts.size() > size_t(kMaxParts))
        return str(texts::programmeTooManyParts).arg(kMaxParts);
    qint64 total = 0;
    for (size_t i = 0; i < programme.parts.size(); ++i) {
        QString why = checkPart(programme.parts[i]);
        total += programme.parts[i].length();
        if (why.isEmpty() && total > kMaxTotal)
            why = str(texts::programmeTooLong).arg(total).arg(kMaxTotal);
        if (!why.isEmpty())
            return str(texts::programmePart).arg(i + 1).arg(why);
    }
    return {};
}

ProgrammeRead parseProgramme(const QByteArray &bytes)
{
    if (bytes.size() > kMaxFileBytes)
        return refuse(0, str(texts::programmeTooBig).arg(kMaxFileBytes));
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);

    Programme programme;
    std::optional<Section> open;
    qint64 total = 0;
    // The part just read joins the programme, within the day's bound.
    const auto close = [&]() -> QString {
        if (!open)
            return {};
        if (const QString why = finish(*open); !why.isEmpty())
            return why;
        total += open->part.length();
        if (total > kMaxTotal)
            return str(texts::programmeTooLong).arg(total).arg(kMaxTotal);
        programme.parts.push_back(open->part);
        return {};
    };

    int number = 0;
    while (!rest.isEmpty() || number == 0) {
        ++number;
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView raw = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (raw.endsWith('\r'))
            raw.chop(1);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
        const QString line = decoder.decode(raw);
        if (decoder.hasError())
            return refuse(number, str(texts::programmeNotUtf8));
        const QString text = line.trimmed();
        if (text.isEmpty() || text.startsWith(u'#'))
            continue;
        if (text.startsWith(u'[')) {
            const QString name = text.endsWith(u']') ? text.mid(1, text.size() - 2).trimmed().toLower() : QString();
            if (name != kBlock && name != kBreak)
                return refuse(number, str(texts::programmeUnknownSection).arg(shown(text)));
            if (open) {
                if (const QString why = close(); !why.isEmpty())
                    return refuse(open->line, why);
            }
            if (programme.parts.size() >= size_t(kMaxParts))
                return refuse(number, str(texts::programmeTooManyParts).arg(kMaxParts));
            open = Section{};
            open->line = number;
            open->part.kind = name == kBlock ? Part::Kind::Block : Part::Kind::Break;
            continue;
        }
        const qsizetype eq = text.indexOf(u'=');
        if (eq <= 0)
            return refuse(number, str(texts::programmeNotKeyValue).arg(shown(text)));
        const QString key = normalKey(text.left(eq));
        const QString value = text.mid(eq + 1).trimmed();
        if (!open)
            return refuse(number, str(texts::programmeKeyOutside).arg(shown(text)));
        const Part::Kind kind = open->part.kind;
        if (!keysOf(kind).contains(key))
            return refuse(number,
                          str(texts::programmeUnknownKey).arg(shown(key), sectionOf(kind), keysOf(kind).join(u", ")));
        if (open->keys.count(key))
            return refuse(number, str(texts::programmeDuplicateKey).arg(key));
        open->keys[key] = number;
        if (const QString why = apply(open->part, key, value); !why.isEmpty())
            return refuse(number, why);
    }
    if (open) {
        if (const QString why = close(); !why.isEmpty())
            return refuse(open->line, why);
    }
    if (programme.parts.empty())
        return refuse(0, str(texts::programmeNoParts));
    return ProgrammeRead{std::move(programme), 0, {}};
}

ProgrammeRead readProgrammeFile(const QString &path)
{
    // A FIFO or a device would hold the program up at its open or its read.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refuse(0, str(texts::programmeNotAFile));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return refuse(0, str(texts::programmeUnreadable).arg(f.errorString()));
    // A device or a huge file is read no further than the bound.
    const QByteArray bytes = f.read(kMaxFileBytes + 1);
    if (f.error() != QFileDevice::NoError)
        return refuse(0, str(texts::programmeUnreadable).arg(f.errorString()));
    return parseProgramme(bytes);
}

QByteArray formatProgramme(const Programme &programme)
{
    QString out = str(texts::programmeFileHead);
    const auto line = [&out](const QString &key, const QString &value) { out += key + u" = "_qs + value + u'\n'; };
    for (const Part &p : programme.parts) {
        out += u"\n["_qs + sectionOf(p.kind) + u"]\n"_qs;
        if (p.kind == Part::Kind::Break) {
            line(kSeconds, QString::number(p.seconds));
            if (!p.banner.isEmpty())
                line(kBanner, p.banner);
            continue;
        }
        line(kQuestions, QString::number(p.questions));
        line(kAnswer, QString::number(p.answer));
        line(kMove, QString::number(p.move));
        if (p.reading != 0)
            line(kReading, QString::number(p.reading));
        if (!p.readingBanner.isEmpty())
            line(kReadingBanner, p.readingBanner);
        if (p.readingCue)
            line(kReadingCue, u"yes"_qs);
    }
    return out.toUtf8();
}

QString writeProgrammeFile(const QString &path, const Programme &programme)
{
    QSaveFile f(path);
    const QByteArray bytes = formatProgramme(programme);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        return str(texts::programmeNotWritten).arg(path, f.errorString());
    return {};
}

} // namespace tavrin
