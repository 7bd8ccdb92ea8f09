#pragma once

// The examination's key and the MAC every member puts on what it sends.
// A message is signed over its topic, its correlation data (the clock's
// question and answer carry one) and its exact payload bytes, so that a
// signed message cannot be moved to another topic, another question, or
// have a byte changed. See PROTOCOL.md for where the MAC travels.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tavrin::rooms {

// PBKDF2-HMAC-SHA256 of the passphrase; the examination's name is part of
// the salt, so one passphrase gives every examination a key of its own.
inline constexpr int kKeyIterations = 4096; // a few tens of ms, once per start
QByteArray deriveExamKey(const QString &passphrase, const QString &exam);

// HMAC-SHA256 (32 bytes) under key.
QByteArray messageMac(const QByteArray &key, const QString &topic, QByteArrayView correlation, QByteArrayView payload);

// The payload with its MAC as the last field: {...,"mac":"<64 hex>"}.
// Without a key the payload is returned as it is.
QByteArray signPayload(const QByteArray &key, const QString &topic, QByteArrayView correlation,
                       const QByteArray &payload);

enum class Seal { Good, Missing, Wrong };
// Checks a signed payload; on Good, body holds the payload as it was signed
// (without the MAC), the bytes to read.
Seal checkPayload(const QByteArray &key, const QString &topic, QByteArrayView correlation, QByteArrayView signedPayload,
                  QByteArray *body);

} // namespace tavrin::rooms
