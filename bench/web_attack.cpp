// The browser view under each attack of a stranger's script, one at a time
// and all at once, with a room PC's 1024 descriptors: this process's
// resident memory and open descriptors at their highest against before,
// how long a new tablet then waits for the page, and what the server did
// with the connections.
#include "bench_support.h"
#include "web_attack.h"
#include "web_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <cstdlib>
#include <memory>

using namespace tavrin;

static void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 12;
    const testing::DescriptorLimit limit(1024);
    web::WebServer server(QStringLiteral("."));
    if (!server.start(QHostAddress::LocalHost, 0).isEmpty())
        return 1;
    const QUrl page(QStringLiteral("http://127.0.0.1:%1/").arg(server.port()));
    QNetworkAccessManager net;
    for (const char *only : {"body", "header", "slow", "ws", "all"}) {
        const testing::Usage before = testing::usage();
        testing::Usage peak = before;
        QTimer sample;
        QObject::connect(&sample, &QTimer::timeout, [&peak] {
            const testing::Usage now = testing::usage();
            peak.residentBytes = std::max(peak.residentBytes, now.residentBytes);
            peak.descriptors = std::max(peak.descriptors, now.descriptors);
        });
        sample.start(100);
        const web::Counters c0 = server.counters();
        testing::WebAttack attack;
        const QStringList more = qstrcmp(only, "all") ? QStringList{QStringLiteral("--only"), QLatin1String(only)}
                                                      : QStringList{};
        if (const QString e = attack.start(server.port(), seconds, more); !e.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(e));
            return 1;
        }
        wait(int(seconds * 500));
        QElapsedTimer asked;
        asked.start();
        std::unique_ptr<QNetworkReply> r(net.get(QNetworkRequest(page)));
        while (!r->isFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const double pageMs = r->error() == QNetworkReply::NoError ? asked.nsecsElapsed() / 1e6 : -1;
        const QString account = attack.finish(int(seconds * 1000) + 30000);
        sample.stop();
        const web::Counters &c = server.counters();
        const QByteArray name = QByteArray("web.attack_") + only;
        bench::figure(name + "_rss_mb", double(peak.residentBytes - before.residentBytes) / (1 << 20), "MB");
        bench::figure(name + "_fds", peak.descriptors, "descriptors");
        bench::figure(name + "_page_ms", pageMs, "ms");
        std::printf("  %s: attacker %s; server refused %lld requests, timed out %lld, shed %lld, displaced %lld pages\n",
                    only, qPrintable(account), c.refusedRequests - c0.refusedRequests, c.timedOut - c0.timedOut,
                    c.shed - c0.shed, c.displacedPages - c0.displacedPages);
        // The attack's leftovers time out before the next one.
        wait(6000);
    }
    return 0;
}
