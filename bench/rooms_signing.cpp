// What signing costs on both sides: each sender signs (Ed25519, the
// controller with the exam's key, a room with its own) and each reader
// checks.
//   rooms.read_state            µs, one state read (without the signature), to compare
//   rooms.passphrase_guess      ms, one guess at the examination's passphrase
//                               (Argon2id at the program's cost), and guesses
//                               a second on one core
//   rooms.ed25519_sign_state    µs, one state payload signed with the exam key
//   rooms.ed25519_check_state   µs, one sealed state checked with the public key
//   rooms.broker_login_guess    µs, one guess at a broker login against its
//                               hash in the private broker's password file;
//                               moot: the logins are 192 random bits, derived
//                               from nothing a room holds
// Usage: bench_rooms_signing
#include "identity.h"
#include "private_broker.h"
#include "protocol.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tavrin::rooms;

int main()
{
    const QString exam = QStringLiteral("E");
    const QString topic = Topics(exam).state();
    QElapsedTimer t;
    t.start();
    StateMessage m;
    m.from = QStringLiteral("c-0123456789abcdef");
    m.seq = 1234;
    m.dueMs = 1'700'000'000'123;
    const QByteArray body = writeState(exam, m);
    constexpr int kRounds = 20000;
    int good = 0;
    t.restart();
    for (int i = 0; i < kRounds / 10; ++i)
        good += readState(body, exam).ok();
    std::printf("rooms.read_state %.2f us\n", double(t.nsecsElapsed()) / 1e3 / (kRounds / 10));

    // What a captured message costs whoever guesses at the passphrase: one
    // stretching per guess (a few rounds, the median).
    std::vector<double> guesses;
    for (int i = 0; i < 3; ++i) {
        t.restart();
        (void)SigningKey::fromPassphrase(QStringLiteral("sakura2024"), exam);
        guesses.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(guesses.begin(), guesses.end());
    std::printf("rooms.passphrase_guess %.1f ms (%.2f guesses/s per core)\n", guesses[1], 1000.0 / guesses[1]);

    // A login's hash, as one who copied the broker's password file would try
    // it: cheap a guess, but against 2^192 logins, not a passphrase's few.
    t.restart();
    for (int i = 0; i < 50; ++i)
        (void)passwordHash(newBrokerPassword(), QByteArray(12, 's'), 1000);
    const double loginUs = double(t.nsecsElapsed()) / 1e3 / 50;
    std::printf("rooms.broker_login_guess %.1f us (%.0f guesses/s per core, against 192 random bits: moot)\n",
                loginUs, 1e6 / loginUs);

    const SigningKey examKey = SigningKey::generate();
    QByteArray sealed;
    QByteArray opened;
    t.restart();
    for (int i = 0; i < kRounds; ++i)
        sealed = sealPayload(examKey, topic, {}, body);
    std::printf("rooms.ed25519_sign_state %.2f us (%lld bytes)\n", double(t.nsecsElapsed()) / 1e3 / kRounds,
                static_cast<long long>(sealed.size()));
    const QByteArray pk = examKey.publicKey();
    t.restart();
    for (int i = 0; i < kRounds; ++i)
        good += openPayload(pk, topic, {}, sealed, &opened) == SigCheck::Good;
    std::printf("rooms.ed25519_check_state %.2f us\n", double(t.nsecsElapsed()) / 1e3 / kRounds);
    return good == kRounds + kRounds / 10 ? 0 : 1;
}
