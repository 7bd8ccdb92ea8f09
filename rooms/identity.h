#pragma once

// Who may sign what. The examination has a key pair: its secret half stays
// with the controller (made at random and kept in an owner-only file, or
// stretched from a passphrase), and every room holds only the public half.
// Each room has a key pair of its own for its status and its cue reports.
// Signatures are Ed25519 (libsodium); a passphrase is stretched by Argon2id,
// so that a message someone captured does not let them guess it quickly.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>

namespace tavrin::rooms {

inline constexpr qsizetype kPublicKeyBytes = 32;
inline constexpr qsizetype kSignatureBytes = 64;
inline constexpr qsizetype kSeedBytes = 32;

// The cost of one guess at a passphrase. Measured here (two cores, 2026):
// 3 passes over 128 MiB take about 0.4 s, so a core tries about 2 a second.
struct StretchCost {
    unsigned long long passes = 3;
    std::size_t memoryBytes = std::size_t(128) << 20;
};
inline constexpr StretchCost kExamKeyCost{};

// A secret signing key: its 32-byte seed, wiped when it goes.
class SigningKey {
public:
    SigningKey() = default;
    SigningKey(const SigningKey &other);
    SigningKey &operator=(const SigningKey &other);
    ~SigningKey();

    // A new key from the system's random source.
    static SigningKey generate();
    // The key of a seed (32 bytes); null for any other size.
    static SigningKey fromSeed(QByteArrayView seed);
    // The examination's key from its passphrase: the name of the
    // examination is part of the salt, so one passphrase gives every
    // examination a key of its own. Slow by design: never on the UI thread.
    static SigningKey fromPassphrase(const QString &passphrase, const QString &exam,
                                     StretchCost cost = kExamKeyCost);

    bool isNull() const { return !valid_; }
    QByteArray publicKey() const;
    QByteArray seed() const;
    // The 64-byte detached signature of message.
    QByteArray sign(QByteArrayView message) const;

private:
    void wipe();
    std::array<unsigned char, 64> secret_{}; // libsodium's seed + public key
    bool valid_ = false;
};

// Whether signature (64 bytes) is publicKey's over message.
bool verifySignature(QByteArrayView publicKey, QByteArrayView message, QByteArrayView signature);

// A short text of a public key to compare by eye on two screens: 80 bits of
// its hash in four groups of four letters and digits (no 0/O, 1/I/L, U),
// e.g. "7K2Q-MX9A-4TRB-HW3E".
QString fingerprint(QByteArrayView publicKey);

// A public key as it travels in payloads and files: unpadded base64url.
QByteArray encodeKey(QByteArrayView bytes);
// The bytes of such a text when it decodes to exactly size bytes.
std::optional<QByteArray> decodeKey(QByteArrayView text, qsizetype size);

// The bytes a message's signature covers: a domain tag, the topic and the
// correlation data (each with its length first, so that neither can be
// shifted into the other), then the payload as it was before the signature
// was put in.
QByteArray signedBytes(const QString &topic, QByteArrayView correlation, QByteArrayView payload);

// The payload with its signature as the last field: {...,"sig":"<base64url>"}.
QByteArray sealPayload(const SigningKey &key, const QString &topic, QByteArrayView correlation,
                       const QByteArray &payload);

enum class SigCheck { Good, Missing, Wrong };
// Checks a sealed payload against publicKey; on Good, body holds the payload
// as it was signed (without the signature), the bytes to read.
SigCheck openPayload(QByteArrayView publicKey, const QString &topic, QByteArrayView correlation,
                     QByteArrayView sealed, QByteArray *body);

// A small file that holds a secret (a key, a login): read only when it is a
// regular file that only its owner may read, without following a link in
// its last place and without blocking on a FIFO; written owner-only,
// atomically, never through a link. The error's text is the reason alone,
// but for Open, a whole sentence that says how to mend it.
struct SecretFileError {
    enum Kind { None, Missing, Open, Unusable } kind = None;
    QString text;
};
SecretFileError readSecretFile(const QString &path, qsizetype maxBytes, QByteArray &content);
// Empty, or the reason.
QString writeSecretFile(const QString &path, const QByteArray &content);

// A secret key kept in a file of its own: two lines, a label that says what
// it is, and the seed in base64url. Read only from a regular file that only
// its owner may read (a FIFO, a folder, a link or a file others may read is
// refused at once, with error saying what to do); written owner-only,
// atomically, never through a link.
struct KeyFileResult {
    SigningKey key;
    QString error; // empty when key was read or written
};
KeyFileResult readKeyFile(const QString &path, QByteArrayView label);
// Makes a new key at path if none is there (the room's own key at its first
// start), else reads the one there.
KeyFileResult readOrMakeKeyFile(const QString &path, QByteArrayView label);
QString writeKeyFile(const QString &path, QByteArrayView label, const SigningKey &key);

inline constexpr QByteArrayView kExamKeyLabel = "tavrin examination secret key v2";
inline constexpr QByteArrayView kRoomKeyLabel = "tavrin room secret key v2";

} // namespace tavrin::rooms
