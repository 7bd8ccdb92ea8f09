#pragma once

// What a room's PC needs to join an examination, in one file the controller
// writes for each room (and shows as a QR code): the examination's public
// key, the broker's address and the fingerprint of its TLS certificate, and
// that room's own broker login, made at random. `--join FILE` on the room's
// PC is all it takes. The login is a secret: the file is written and read
// owner-only, like a key file.

#include <QByteArray>
#include <QString>

#include <optional>

namespace tavrin::rooms {

struct JoinFile {
    QString exam;
    QString room;
    QByteArray examKey;   // the examination's public key (32 bytes)
    QString host;         // the broker as the room reaches it
    int port = 8883;
    QByteArray tlsPin;    // SHA-256 of the broker's certificate (32 bytes); empty: no TLS
    QString user;         // the room's own login on the broker; empty: none
    QString password;
    friend bool operator==(const JoinFile &, const JoinFile &) = default;
};

inline constexpr qsizetype kMaxJoinFile = 4096;

// The file's text: one JSON object, UTF-8.
QByteArray writeJoin(const JoinFile &join);
// The join file in text, or why not (in words for the operator): every
// field is checked and bounded, and anything unknown is refused.
std::optional<JoinFile> readJoin(const QByteArray &text, QString *why);

// From a file: refused at once when it is not a regular file, when others
// may read it, or when it is larger than a join file can be.
std::optional<JoinFile> loadJoinFile(const QString &path, QString *why);
// Written owner-only, atomically, never through a link; empty, or why not.
QString saveJoinFile(const QString &path, const JoinFile &join);

} // namespace tavrin::rooms
