#include "identity.h"

#include "texts.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <sodium.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin::rooms {

using texts::str;

namespace {

bool sodiumReady()
{
    // sodium_init() is safe to call from several threads and more than once.
    static const bool ready = sodium_init() >= 0;
    return ready;
}

const unsigned char *bytes(QByteArrayView v)
{
    return reinterpret_cast<const unsigned char *>(v.data());
}

constexpr QByteArrayView kSigHead = ",\"sig\":\"";
// 64 bytes in unpadded base64url.
constexpr qsizetype kSigTextLength = 86;
// ,"sig":"<86>"}
constexpr qsizetype kSigTrailer = 8 + kSigTextLength + 2;

constexpr QByteArray::Base64Options kBase64 = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

void appendWithLength(QByteArray &out, QByteArrayView part)
{
    const quint32 n = qToBigEndian(quint32(part.size()));
    out.append(reinterpret_cast<const char *>(&n), sizeof n);
    out.append(part);
}

} // namespace

SigningKey::SigningKey(const SigningKey &other) : secret_(other.secret_), valid_(other.valid_) {}

SigningKey &SigningKey::operator=(const SigningKey &other)
{
    if (this != &other) {
        secret_ = other.secret_;
        valid_ = other.valid_;
    }
    return *this;
}

SigningKey::~SigningKey()
{
    wipe();
}

void SigningKey::wipe()
{
    sodium_memzero(secret_.data(), secret_.size());
    valid_ = false;
}

SigningKey SigningKey::generate()
{
    SigningKey k;
    if (!sodiumReady())
        return k;
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    k.valid_ = crypto_sign_keypair(pk, k.secret_.data()) == 0;
    return k;
}

SigningKey SigningKey::fromSeed(QByteArrayView seed)
{
    SigningKey k;
    if (seed.size() != kSeedBytes || !sodiumReady())
        return k;
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    k.valid_ = crypto_sign_seed_keypair(pk, k.secret_.data(), bytes(seed)) == 0;
    return k;
}

SigningKey SigningKey::fromPassphrase(const QString &passphrase, const QString &exam, StretchCost cost)
{
    if (passphrase.isEmpty() || !sodiumReady())
        return {};
    // Argon2id wants a salt of a fixed size: a hash of the examination's name.
    const QByteArray name = QByteArrayLiteral("tavrin examination key v2\n") + exam.toUtf8();
    unsigned char salt[crypto_pwhash_SALTBYTES];
    crypto_generichash(salt, sizeof salt, bytes(name), std::size_t(name.size()), nullptr, 0);
    const QByteArray pass = passphrase.toUtf8();
    std::array<unsigned char, kSeedBytes> seed{};
    SigningKey k;
    if (crypto_pwhash(seed.data(), seed.size(), pass.constData(), std::size_t(pass.size()), salt, cost.passes,
                      cost.memoryBytes, crypto_pwhash_ALG_ARGON2ID13) == 0)
        k = fromSeed(QByteArrayView(reinterpret_cast<const char *>(seed.data()), kSeedBytes));
    sodium_memzero(seed.data(), seed.size());
    return k;
}

QByteArray SigningKey::publicKey() const
{
    if (!valid_)
        return {};
    // libsodium's secret key is the seed followed by the public key.
    return QByteArray(reinterpret_cast<const char *>(secret_.data()) + kSeedBytes, kPublicKeyBytes);
}

QByteArray SigningKey::seed() const
{
    if (!valid_)
        return {};
    return QByteArray(reinterpret_cast<const char *>(secret_.data()), kSeedBytes);
}

QByteArray SigningKey::sign(QByteArrayView message) const
{
    if (!valid_)
        return {};
    QByteArray sig(kSignatureBytes, Qt::Uninitialized);
    crypto_sign_detached(reinterpret_cast<unsigned char *>(sig.data()), nullptr, bytes(message),
                         std::size_t(message.size()), secret_.data());
    return sig;
}

bool verifySignature(QByteArrayView publicKey, QByteArrayView message, QByteArrayView signature)
{
    if (publicKey.size() != kPublicKeyBytes || signature.size() != kSignatureBytes || !sodiumReady())
        return false;
    return crypto_sign_verify_detached(bytes(signature), bytes(message), std::size_t(message.size()),
                                       bytes(publicKey)) == 0;
}

QString fingerprint(QByteArrayView publicKey)
{
    if (publicKey.isEmpty() || !sodiumReady())
        return {};
    unsigned char hash[crypto_generichash_BYTES];
    crypto_generichash(hash, sizeof hash, bytes(publicKey), std::size_t(publicKey.size()), nullptr, 0);
    // Crockford's base32: no letters that read like digits.
    static constexpr char kAlphabet[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
    QString out;
    quint64 bits = 0;
    int have = 0, written = 0;
    for (int i = 0; written < 16; ++i) {
        bits = (bits << 8) | hash[i];
        have += 8;
        while (have >= 5 && written < 16) {
            have -= 5;
            if (written > 0 && written % 4 == 0)
                out += QLatin1Char('-');
            out += QLatin1Char(kAlphabet[(bits >> have) & 31]);
            ++written;
        }
    }
    return out;
}

QByteArray encodeKey(QByteArrayView raw)
{
    return raw.toByteArray().toBase64(kBase64);
}

std::optional<QByteArray> decodeKey(QByteArrayView text, qsizetype size)
{
    // Only the alphabet of base64url: no padding, no blanks, nothing else.
    for (char c : text)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
            return std::nullopt;
    auto r = QByteArray::fromBase64Encoding(text.toByteArray(), kBase64 | QByteArray::AbortOnBase64DecodingErrors);
    if (!r || r.decoded.size() != size)
        return std::nullopt;
    // The canonical spelling only: one key, one text.
    if (encodeKey(r.decoded) != text)
        return std::nullopt;
    return r.decoded;
}

QByteArray signedBytes(const QString &topic, QByteArrayView correlation, QByteArrayView payload)
{
    QByteArray out = QByteArrayLiteral("tavrin signed message v2\n");
    appendWithLength(out, topic.toUtf8());
    appendWithLength(out, correlation);
    out.append(payload);
    return out;
}

QByteArray sealPayload(const SigningKey &key, const QString &topic, QByteArrayView correlation,
                       const QByteArray &payload)
{
    if (key.isNull() || !payload.endsWith('}'))
        return payload;
    QByteArray out = payload.left(payload.size() - 1);
    out += kSigHead;
    out += encodeKey(key.sign(signedBytes(topic, correlation, payload)));
    out += "\"}";
    return out;
}

SigCheck openPayload(QByteArrayView publicKey, const QString &topic, QByteArrayView correlation,
                     QByteArrayView sealed, QByteArray *body)
{
    const qsizetype n = sealed.size();
    if (n < kSigTrailer + 2 || !sealed.endsWith("\"}") || sealed.sliced(n - kSigTrailer, kSigHead.size()) != kSigHead)
        return SigCheck::Missing;
    const std::optional<QByteArray> sig = decodeKey(sealed.sliced(n - kSigTextLength - 2, kSigTextLength),
                                                    kSignatureBytes);
    if (!sig)
        return SigCheck::Wrong;
    QByteArray signedBody = sealed.first(n - kSigTrailer).toByteArray();
    signedBody += '}';
    if (!verifySignature(publicKey, signedBytes(topic, correlation, signedBody), *sig))
        return SigCheck::Wrong;
    if (body)
        *body = std::move(signedBody);
    return SigCheck::Good;
}

SecretFileError readSecretFile(const QString &path, qsizetype maxBytes, QByteArray &content)
{
    const QByteArray name = QFile::encodeName(path);
    // O_NOFOLLOW refuses a link in the last place; O_NONBLOCK keeps a FIFO
    // put there from hanging the open.
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int e = errno;
        if (e == ELOOP)
            return {SecretFileError::Unusable, str(texts::privateFileSymlink)};
        return {e == ENOENT ? SecretFileError::Missing : SecretFileError::Unusable,
                QString::fromLocal8Bit(std::strerror(e))};
    }
    struct stat st {};
    SecretFileError why;
    if (::fstat(fd, &st) != 0)
        why = {SecretFileError::Unusable, QString::fromLocal8Bit(std::strerror(errno))};
    else if (!S_ISREG(st.st_mode))
        why = {SecretFileError::Unusable, str(texts::privateFileNotAFile)};
    else if ((st.st_mode & 077) != 0)
        why = {SecretFileError::Open, str(texts::secretFileOpen).arg(path)};
    else if (st.st_size > maxBytes)
        why = {SecretFileError::Unusable, str(texts::secretFileTooLarge).arg(maxBytes)};
    if (why.kind == SecretFileError::None) {
        content.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (got < content.size()) {
            const ssize_t r = ::read(fd, content.data() + got, std::size_t(content.size() - got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                break;
            got += r;
        }
        content.resize(got);
    }
    ::close(fd);
    return why;
}

QString writeSecretFile(const QString &path, const QByteArray &content)
{
    if (QFileInfo(path).isSymLink())
        return str(texts::privateFileSymlink);
    // QSaveFile writes beside the file and renames it into place: a link put
    // there meanwhile is replaced, never followed, and a crash leaves the old
    // file or none, never half of one. The permissions are set before a byte
    // is written.
    QSaveFile f(path);
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly))
        return f.errorString();
    if (!f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return f.errorString();
    f.write(content);
    if (!f.commit())
        return f.errorString();
    return {};
}

KeyFileResult readKeyFile(const QString &path, QByteArrayView label)
{
    KeyFileResult r;
    QByteArray content;
    if (const SecretFileError e = readSecretFile(path, 4096, content); e.kind != SecretFileError::None) {
        r.error = e.kind == SecretFileError::Open ? e.text : str(texts::keyFileUnreadable).arg(path, e.text);
        return r;
    }
    const QList<QByteArray> lines = content.split('\n');
    const std::optional<QByteArray> seed = lines.size() >= 2 ? decodeKey(lines[1].trimmed(), kSeedBytes)
                                                               : std::nullopt;
    if (lines.value(0).trimmed() != label || !seed) {
        r.error = str(texts::keyFileNotAKey).arg(path);
        return r;
    }
    r.key = SigningKey::fromSeed(*seed);
    if (r.key.isNull())
        r.error = str(texts::keyFileNotAKey).arg(path);
    return r;
}

KeyFileResult readOrMakeKeyFile(const QString &path, QByteArrayView label)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 && errno == ENOENT) {
        KeyFileResult r;
        r.key = SigningKey::generate();
        r.error = writeKeyFile(path, label, r.key);
        if (!r.error.isEmpty())
            r.key = {};
        return r;
    }
    return readKeyFile(path, label);
}

QString writeKeyFile(const QString &path, QByteArrayView label, const SigningKey &key)
{
    if (const QString e = writeSecretFile(path, label.toByteArray() + '\n' + encodeKey(key.seed()) + '\n');
        !e.isEmpty())
        return str(texts::keyFileNotWritten).arg(path, e);
    return {};
}

} // namespace tavrin::rooms
