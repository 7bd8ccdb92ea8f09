// The readers of what comes over the broker, on any bytes: anybody who can
// publish to the broker can send a room or the controller anything.
//
// What must hold for every input, for each of the five readers:
// - nothing crashes or throws;
// - more than kMaxPayload bytes are refused as too large, unread;
// - what is taken is sound: a state comes from a controller id, has a
//   sequence number >= 0, and its run is one an engine adopts; names are
//   valid names;
// - what is taken, written again, reads back; and that, written, gives the
//   same bytes (the writer rounds the offsets it sends to tenths of a ms);
// - the sealed form: a payload whose signature checks is the sealing of the
//   body it gives, byte for byte (Ed25519 signs deterministically), and that
//   body goes through the readers too; a signature never checks under
//   another topic.

#include "engine.h"
#include "protocol.h"
#include "identity.h"
#include "silent_ports.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace tavrin;
using namespace tavrin::rooms;

namespace {

const QString kExam = QStringLiteral("E");
const QString kRoom = QStringLiteral("A");

[[noreturn]] void fail(const char *reader, const char *what, QByteArrayView input)
{
    std::fprintf(stderr, "%s: %s\ninput (hex): %s\n", reader, what, input.toByteArray().left(400).toHex().constData());
    std::abort();
}

template <typename T, typename Write, typename Read>
void check(const char *name, QByteArrayView input, const Reading<T> &r, Write write, Read read)
{
    if (input.size() > kMaxPayload && (r.ok() || r.refusal != Refusal::TooLarge))
        fail(name, "an oversized payload was not refused as too large", input);
    if (!r.ok())
        return;
    const QByteArray written = write(*r.message);
    const Reading<T> again = read(written);
    if (!again.ok())
        fail(name, "what was taken is refused once written again", input);
    if (write(*again.message) != written)
        fail(name, "what was taken does not read back the same after writing", input);
}

void readAll(QByteArrayView input);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    readAll(input);
    // The sealed form, under a key of the fuzzer's own (a fixed seed); a
    // corpus entry sealed with it reaches the readers through the check.
    static const SigningKey key = SigningKey::fromSeed(QByteArray(32, 'f'));
    static const QByteArray publicKey = key.publicKey();
    const QString topic = QStringLiteral("tavrin/E/state");
    QByteArray body;
    if (openPayload(publicKey, topic, {}, input, &body) == SigCheck::Good) {
        if (sealPayload(key, topic, {}, body) != input.toByteArray())
            fail("sealed", "a payload that checks is not the sealing of its body", input);
        if (openPayload(publicKey, QStringLiteral("tavrin/E/controller"), {}, input, nullptr) == SigCheck::Good)
            fail("sealed", "a signature checks under another topic", input);
        readAll(body);
    }
    return 0;
}

namespace {

void readAll(QByteArrayView input)
{

    const Reading<StateMessage> state = readState(input, kExam);
    check("state", input, state, [](const StateMessage &m) { return writeState(kExam, m); },
          [](const QByteArray &b) { return readState(b, kExam); });
    if (state.ok()) {
        if (!isControllerId(state.message->from) || state.message->seq < 0)
            fail("state", "taken from a sender that is not a controller, or with a negative seq", input);
        SilentWindow window;
        SilentPlayers players;
        Engine engine(window, players);
        if (!engine.adopt(state.message->run))
            fail("state", "taken a run that the engine refuses", input);
    }

    const Reading<PresenceMessage> presence = readPresence(input, kExam);
    check("presence", input, presence, [](const PresenceMessage &m) { return writePresence(kExam, m); },
          [](const QByteArray &b) { return readPresence(b, kExam); });
    if (presence.ok() && !isControllerId(presence.message->from))
        fail("presence", "taken from a sender that is not a controller", input);

    const Reading<RoomStatus> status = readStatus(input, kExam, kRoom);
    check("status", input, status, [](const RoomStatus &m) { return writeStatus(kExam, m); },
          [](const QByteArray &b) { return readStatus(b, kExam, kRoom); });
    if (status.ok() && (status.message->room != kRoom || !isRoomId(status.message->from)))
        fail("status", "taken for another room or from a sender that is not a room", input);

    const Reading<QString> ask = readClockAsk(input, kExam);
    check("clock ask", input, ask, [](const QString &room) { return writeClockAsk(kExam, room); },
          [](const QByteArray &b) { return readClockAsk(b, kExam); });
    if (ask.ok() && !validName(*ask.message))
        fail("clock ask", "taken a room name that is not a valid name", input);

    const Reading<ClockReply> reply = readClockReply(input, kExam);
    check("clock reply", input, reply, [](const ClockReply &m) { return writeClockReply(kExam, m); },
          [](const QByteArray &b) { return readClockReply(b, kExam); });
    if (reply.ok() && (!isControllerId(reply.message->from) || reply.message->sentUs < reply.message->receivedUs))
        fail("clock reply", "taken from a non-controller, or an answer sent before its question came", input);
}

} // namespace
