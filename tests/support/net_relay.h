#pragma once

// A path to the broker like a real building's, on loopback: a TCP relay
// that delays each direction by its own law and keeps the stream's order,
// and holds a small share of chunks for a while, as a lost segment's
// retransmission would (everything behind it waits too, as in TCP). This
// kernel has no netem, so the faults are made here, in user space.

#include <QString>

#include <atomic>
#include <memory>
#include <thread>

namespace e2e {

struct DelayLaw {
    double meanMs = 0;
    double jitterMs = 0; // uniform within mean ± jitter, never below zero
};

struct NetPath {
    DelayLaw up;         // member to broker
    DelayLaw down;       // broker to member
    double heldShare = 0; // of chunks, each way
    int heldMs = 200;
    // "1±0.5", "3±2/1%", "8±2,1±0.5/1%": up[,down][/held%]
    static bool parse(const QString &text, NetPath &path);
};

class NetRelay {
public:
    NetRelay(int brokerPort, const NetPath &path, unsigned seed);
    ~NetRelay();
    NetRelay(const NetRelay &) = delete;
    NetRelay &operator=(const NetRelay &) = delete;
    // Empty on success; port() then takes connections.
    QString start();
    int port() const { return port_; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    long long chunksHeld() const { return held_; }

private:
    void run();

    int brokerPort_;
    NetPath path_;
    unsigned seed_;
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<long long> held_{0};
    std::thread thread_;
};

} // namespace e2e
