#include "net_relay.h"

#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include <cerrno>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

struct Chunk {
    Clock::time_point release;
    std::string bytes;
};

struct Direction {
    int from = -1;
    int to = -1;
    const DelayLaw *law = nullptr;
    std::deque<Chunk> queue;
    Clock::time_point last{}; // the stream's order: nothing overtakes
};

struct Pair {
    Direction up;
    Direction down;
    bool open = true;
};

bool parseLaw(const QString &text, DelayLaw &law)
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*([0-9.]+)\s*(?:±\s*([0-9.]+))?\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return false;
    law.meanMs = m.captured(1).toDouble();
    law.jitterMs = m.captured(2).isEmpty() ? 0 : m.captured(2).toDouble();
    return true;
}

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

} // namespace

bool NetPath::parse(const QString &text, NetPath &path)
{
    NetPath p;
    QString laws = text;
    if (const qsizetype slash = text.indexOf(u'/'); slash >= 0) {
        QString share = text.mid(slash + 1).trimmed();
        if (!share.endsWith(u'%'))
            return false;
        bool ok = false;
        p.heldShare = share.chopped(1).toDouble(&ok) / 100;
        if (!ok)
            return false;
        laws = text.left(slash);
    }
    const QStringList parts = laws.split(u',');
    if (parts.size() > 2 || !parseLaw(parts[0], p.up) || !parseLaw(parts.value(1, parts[0]), p.down))
        return false;
    path = p;
    return true;
}

NetRelay::NetRelay(int brokerPort, const NetPath &path, unsigned seed)
    : brokerPort_(brokerPort), path_(path), seed_(seed)
{
}

NetRelay::~NetRelay()
{
    if (thread_.joinable()) {
        const char c = 'q';
        [[maybe_unused]] const auto n = ::write(wake_[1], &c, 1);
        thread_.join();
    }
    for (int fd : {listen_, wake_[0], wake_[1]})
        if (fd >= 0)
            ::close(fd);
}

QString NetRelay::start()
{
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(listen_, 16) != 0 ||
        ::getsockname(listen_, reinterpret_cast<sockaddr *>(&a), &len) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0)
        return QStringLiteral("the relay cannot listen on loopback");
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { run(); });
    return {};
}

void NetRelay::run()
{
    std::mt19937 random(seed_);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<std::unique_ptr<Pair>> pairs;
    const auto delay = [&](const DelayLaw &law) {
        const double ms = std::max(0.0, law.meanMs + (unit(random) * 2 - 1) * law.jitterMs);
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(ms));
    };
    for (;;) {
        std::vector<pollfd> fds{{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        std::vector<Direction *> dirs;
        Clock::time_point next = Clock::time_point::max();
        for (auto &p : pairs)
            for (Direction *d : {&p->up, &p->down}) {
                fds.push_back({d->from, POLLIN, 0});
                dirs.push_back(d);
                if (!d->queue.empty())
                    next = std::min(next, d->queue.front().release);
            }
        timespec wait{};
        timespec *timeout = nullptr;
        if (next != Clock::time_point::max()) {
            const auto ns = std::max<long long>(0, std::chrono::nanoseconds(next - Clock::now()).count());
            wait = {time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
            timeout = &wait;
        }
        if (::ppoll(fds.data(), fds.size(), timeout, nullptr) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            break;
        if (fds[0].revents & POLLIN) {
            const int member = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            const int broker = member >= 0 ? connectTo(brokerPort_) : -1;
            if (broker < 0) {
                if (member >= 0)
                    ::close(member);
            } else {
                const int one = 1;
                ::setsockopt(member, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                auto p = std::make_unique<Pair>();
                p->up = {member, broker, &path_.up, {}, {}};
                p->down = {broker, member, &path_.down, {}, {}};
                pairs.push_back(std::move(p));
            }
        }
        const auto now = Clock::now();
        for (std::size_t i = 0; i < dirs.size(); ++i) {
            Direction &d = *dirs[i];
            if (!(fds[i + 2].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[65536];
            const ssize_t n = ::read(d.from, buf, sizeof buf);
            if (n <= 0) {
                for (auto &p : pairs)
                    if (&p->up == &d || &p->down == &d)
                        p->open = false;
                continue;
            }
            auto release = now + delay(*d.law);
            if (unit(random) < path_.heldShare) {
                release += std::chrono::milliseconds(path_.heldMs);
                ++held_;
            }
            release = std::max(release, d.last);
            d.last = release;
            d.queue.push_back({release, std::string(buf, std::size_t(n))});
        }
        for (Direction *d : dirs)
            while (!d->queue.empty() && d->queue.front().release <= Clock::now()) {
                const std::string &b = d->queue.front().bytes;
                for (std::size_t off = 0; off < b.size();) {
                    const ssize_t w = ::send(d->to, b.data() + off, b.size() - off, MSG_NOSIGNAL);
                    if (w <= 0)
                        break;
                    off += std::size_t(w);
                }
                d->queue.pop_front();
            }
        for (auto it = pairs.begin(); it != pairs.end();)
            if (!(*it)->open) {
                ::close((*it)->up.from);
                ::close((*it)->down.from);
                it = pairs.erase(it);
            } else {
                ++it;
            }
    }
    for (auto &p : pairs) {
        ::close(p->up.from);
        ::close(p->down.from);
    }
}

} // namespace e2e
