#pragma once

// The browser view's attacker (tests/web/web_attack.py) in a process of its
// own, and what this process holds meanwhile: for its test and benchmark.

#include <QProcess>
#include <QStringList>

#include <sys/resource.h>

namespace tavrin::testing {

// This process's resident memory and open descriptors, from /proc/self.
struct Usage {
    qint64 residentBytes = 0;
    int descriptors = 0;
};
Usage usage();

// This process's limit of open descriptors for the scope (a room PC's
// usual 1024, where the test machine allows many more).
class DescriptorLimit {
public:
    explicit DescriptorLimit(rlim_t soft);
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &old_); }
    DescriptorLimit(const DescriptorLimit &) = delete;

private:
    rlimit old_{};
};

class WebAttack {
public:
    ~WebAttack()
    {
        proc_.kill();
        proc_.waitForFinished(3000);
    }
    // Attacks 127.0.0.1:port for seconds (more: options, as --only ws) with
    // the event loop running: empty once all is under way, or why not.
    QString start(quint16 port, double seconds, const QStringList &more = {});
    // What became of its connections, in its words, once it has ended.
    QString finish(int timeoutMs);

private:
    QProcess proc_;
};

} // namespace tavrin::testing
