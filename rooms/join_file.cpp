#include "join_file.h"

#include "identity.h"
#include "protocol.h"
#include "texts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace tavrin::rooms {

using texts::str;

namespace {

constexpr int kJoinVersion = 2;
constexpr qsizetype kMaxLogin = 128;

QString hexPin(const QByteArray &pin)
{
    return pin.isEmpty() ? QString() : QStringLiteral("sha256:") + QString::fromLatin1(pin.toHex());
}

std::optional<QByteArray> readPin(const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    if (!text.startsWith(QLatin1String("sha256:")) || text.size() != 7 + 64)
        return std::nullopt;
    for (QChar c : text.mid(7))
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return std::nullopt;
    return QByteArray::fromHex(text.mid(7).toLatin1());
}

bool plainLogin(const QString &s)
{
    if (s.toUtf8().size() > kMaxLogin)
        return false;
    for (QChar c : s)
        if (c.unicode() < 0x21 || c.unicode() == 0x7f)
            return false;
    return true;
}

// A name or an address, v4 or v6, as a resolver takes it: nothing else.
bool plainHost(const QString &h)
{
    if (h.isEmpty() || h.size() > 253 || h.startsWith(u'-'))
        return false;
    for (QChar c : h)
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' ||
              c == u'-' || c == u':'))
            return false;
    return true;
}

} // namespace

QByteArray writeJoin(const JoinFile &j)
{
    QJsonObject broker{{u"host"_qs, j.host}, {u"port"_qs, j.port}, {u"tls"_qs, hexPin(j.tlsPin)}};
    QJsonObject o{{u"tavrin"_qs, u"join"_qs},
                  {u"v"_qs, kJoinVersion},
                  {u"exam"_qs, j.exam},
                  {u"room"_qs, j.room},
                  {u"examKey"_qs, QString::fromLatin1(encodeKey(j.examKey))},
                  {u"broker"_qs, broker},
                  {u"user"_qs, j.user},
                  {u"password"_qs, j.password}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<JoinFile> readJoin(const QByteArray &text, QString *why)
{
    const auto refuse = [why](const char *what) -> std::optional<JoinFile> {
        if (why)
            *why = str(what);
        return std::nullopt;
    };
    if (text.size() > kMaxJoinFile)
        return refuse(texts::joinTooLarge);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return refuse(texts::joinNotJoin);
    const QJsonObject o = doc.object();
    if (o.value(u"tavrin"_qs).toString() != u"join"_qs)
        return refuse(texts::joinNotJoin);
    if (o.value(u"v"_qs).toInt(-1) != kJoinVersion)
        return refuse(texts::joinOtherVersion);
    static const QSet<QString> known{u"tavrin"_qs, u"v"_qs,     u"exam"_qs, u"room"_qs,
                                     u"examKey"_qs, u"broker"_qs, u"user"_qs, u"password"_qs};
    static const QSet<QString> knownBroker{u"host"_qs, u"port"_qs, u"tls"_qs};
    const QJsonObject b = o.value(u"broker"_qs).toObject();
    for (const QString &k : o.keys())
        if (!known.contains(k))
            return refuse(texts::joinUnknownField);
    for (const QString &k : b.keys())
        if (!knownBroker.contains(k))
            return refuse(texts::joinUnknownField);

    JoinFile j;
    j.exam = o.value(u"exam"_qs).toString();
    j.room = o.value(u"room"_qs).toString();
    if (!validName(j.exam) || !validName(j.room))
        return refuse(texts::joinBadName);
    const std::optional<QByteArray> key = decodeKey(o.value(u"examKey"_qs).toString().toLatin1(), kPublicKeyBytes);
    if (!key)
        return refuse(texts::joinBadKey);
    j.examKey = *key;
    j.host = b.value(u"host"_qs).toString();
    j.port = b.value(u"port"_qs).toInt(0);
    if (!plainHost(j.host) || j.port < 1 || j.port > 65535)
        return refuse(texts::joinBadBroker);
    const std::optional<QByteArray> pin = readPin(b.value(u"tls"_qs).toString());
    if (!pin)
        return refuse(texts::joinBadBroker);
    j.tlsPin = *pin;
    j.user = o.value(u"user"_qs).toString();
    j.password = o.value(u"password"_qs).toString();
    if (!plainLogin(j.user) || !plainLogin(j.password) || j.user.isEmpty() != j.password.isEmpty())
        return refuse(texts::joinBadLogin);
    return j;
}

std::optional<JoinFile> loadJoinFile(const QString &path, QString *why)
{
    QByteArray text;
    if (const SecretFileError e = readSecretFile(path, kMaxJoinFile, text); e.kind != SecretFileError::None) {
        if (why)
            *why = e.kind == SecretFileError::Open ? e.text : str(texts::joinUnreadable).arg(path, e.text);
        return std::nullopt;
    }
    QString reason;
    std::optional<JoinFile> j = readJoin(text, &reason);
    if (!j && why)
        *why = str(texts::joinUnreadable).arg(path, reason);
    return j;
}

QString saveJoinFile(const QString &path, const JoinFile &join)
{
    if (const QString e = writeSecretFile(path, writeJoin(join)); !e.isEmpty())
        return str(texts::joinNotWritten).arg(path, e);
    return {};
}

} // namespace tavrin::rooms
