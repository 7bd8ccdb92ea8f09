#pragma once

// The browser view under attack, for its test and its benchmark: the
// attacker (tests/web/web_attack.py) in a process of its own, and what this
// process holds meanwhile.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

namespace tavrin::testing {

// This process's resident memory and open descriptors, from /proc/self.
struct Usage {
    qint64 residentBytes = 0;
    int descriptors = 0;
};
Usage usage();

// This process's limit of open descriptors for the scope: a room PC's usual
// 1024, say, where the test machine allows many more.
class DescriptorLimit {
public:
    explicit DescriptorLimit(rlim_t soft);
    ~DescriptorLimit();
    DescriptorLimit(const DescriptorLimit &) = delete;
    DescriptorLimit &operator=(const DescriptorLimit &) = delete;

private:
    rlimit old_{};
};

class WebAttack {
public:
    ~WebAttack();
    // Attacks the server on 127.0.0.1:port for seconds; more are the
    // script's options (--only ws). Empty once every connection is under
    // way, or why not. The event loop runs meanwhile.
    QString start(quint16 port, double seconds, const QStringList &more = {});
    // Its account of what became of its connections, once it has ended.
    QString finish(int timeoutMs);

private:
    QProcess proc_;
};

} // namespace tavrin::testing
