#include "signing.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QPasswordDigestor>
#include <QtEndian>

namespace tavrin::rooms {

namespace {

constexpr QByteArrayView kHead = ",\"mac\":\"";
constexpr qsizetype kHexLength = 64;
// ,"mac":"<64 hex>"}
constexpr qsizetype kTrailer = 8 + kHexLength + 2;

void addWithLength(QMessageAuthenticationCode &mac, QByteArrayView bytes)
{
    // Lengths first: topic and correlation cannot be shifted into each other.
    const quint32 n = qToBigEndian(quint32(bytes.size()));
    mac.addData(reinterpret_cast<const char *>(&n), sizeof n);
    mac.addData(bytes.data(), bytes.size());
}

} // namespace

QByteArray deriveExamKey(const QString &passphrase, const QString &exam)
{
    if (passphrase.isEmpty())
        return {};
    const QByteArray salt = QByteArrayLiteral("tavrin rooms v1\n") + exam.toUtf8();
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, passphrase.toUtf8(), salt, kKeyIterations,
                                              32);
}

QByteArray messageMac(const QByteArray &key, const QString &topic, QByteArrayView correlation, QByteArrayView payload)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, key);
    addWithLength(mac, topic.toUtf8());
    addWithLength(mac, correlation);
    mac.addData(payload.data(), payload.size());
    return mac.result();
}

QByteArray signPayload(const QByteArray &key, const QString &topic, QByteArrayView correlation,
                       const QByteArray &payload)
{
    if (key.isEmpty() || !payload.endsWith('}'))
        return payload;
    QByteArray out = payload.left(payload.size() - 1);
    out += kHead;
    out += messageMac(key, topic, correlation, payload).toHex();
    out += "\"}";
    return out;
}

Seal checkPayload(const QByteArray &key, const QString &topic, QByteArrayView correlation, QByteArrayView signedPayload,
                  QByteArray *body)
{
    const qsizetype n = signedPayload.size();
    if (n < kTrailer + 2 || !signedPayload.endsWith("\"}") ||
        signedPayload.sliced(n - kTrailer, kHead.size()) != kHead)
        return Seal::Missing;
    const QByteArrayView hex = signedPayload.sliced(n - kHexLength - 2, kHexLength);
    for (char c : hex)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return Seal::Wrong;
    QByteArray signedBody = signedPayload.first(n - kTrailer).toByteArray();
    signedBody += '}';
    const QByteArray expected = messageMac(key, topic, correlation, signedBody).toHex();
    // In constant time: how much of a guess was right must not show.
    unsigned char diff = 0;
    for (qsizetype i = 0; i < kHexLength; ++i)
        diff |= static_cast<unsigned char>(expected[i] ^ hex[i]);
    if (diff != 0)
        return Seal::Wrong;
    if (body)
        *body = std::move(signedBody);
    return Seal::Good;
}

} // namespace tavrin::rooms
