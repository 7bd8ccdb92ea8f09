// What the examination's key costs: deriving it once at the start, and the
// MAC of every message on both sides (the controller signs, a room checks).
//   rooms.key_derivation        ms, once per start of a member
//   rooms.mac_sign_state        µs, one state payload signed
//   rooms.mac_check_state       µs, one signed state checked
//   rooms.read_state            µs, one state read (without the MAC), to compare
// Usage: bench_rooms_signing
#include "protocol.h"
#include "signing.h"

#include <QElapsedTimer>

#include <cstdio>

using namespace tavrin::rooms;

int main()
{
    const QString exam = QStringLiteral("E");
    const QString topic = Topics(exam).state();
    QElapsedTimer t;
    t.start();
    const QByteArray key = deriveExamKey(QStringLiteral("correct horse battery"), exam);
    std::printf("rooms.key_derivation %.1f ms\n", double(t.nsecsElapsed()) / 1e6);

    StateMessage m;
    m.from = QStringLiteral("c-0123456789abcdef");
    m.seq = 1234;
    m.dueMs = 1'700'000'000'123;
    const QByteArray body = writeState(exam, m);
    constexpr int kRounds = 20000;
    QByteArray signedPayload;
    t.restart();
    for (int i = 0; i < kRounds; ++i)
        signedPayload = signPayload(key, topic, {}, body);
    std::printf("rooms.mac_sign_state %.2f us (%lld bytes)\n", double(t.nsecsElapsed()) / 1e3 / kRounds,
                static_cast<long long>(signedPayload.size()));
    int good = 0;
    QByteArray opened;
    t.restart();
    for (int i = 0; i < kRounds; ++i)
        good += checkPayload(key, topic, {}, signedPayload, &opened) == Seal::Good;
    std::printf("rooms.mac_check_state %.2f us\n", double(t.nsecsElapsed()) / 1e3 / kRounds);
    t.restart();
    for (int i = 0; i < kRounds / 10; ++i)
        good += readState(opened, exam).ok();
    std::printf("rooms.read_state %.2f us\n", double(t.nsecsElapsed()) / 1e3 / (kRounds / 10));
    return good == kRounds + kRounds / 10 ? 0 : 1;
}
