// Many pages on one serving Tavrin: the one-second tick's lateness and the
// process's CPU with and without 200 WebSocket views, and the time from a
// state to the last view that has it. Server and views share this process
// (the views only count what arrives), so the CPU figure is an upper bound.
#include "phase_timer.h"
#include "web_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWebSocket>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace tavrin;

static double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int views = argc > 1 ? std::atoi(argv[1]) : 200;
    const int ticks = argc > 2 ? std::atoi(argv[2]) : 15;
    // All the views come from this one address.
    web::Limits limits;
    limits.maxPagesPerAddress = limits.maxPages = std::max(views, 1);
    web::WebServer server(QStringLiteral("."), limits);
    if (!server.start(QHostAddress::LocalHost, 0).isEmpty())
        return 1;
    const QString url = QStringLiteral("ws://127.0.0.1:%1/ws").arg(server.port());
    for (int round : {0, views}) {
        std::vector<QWebSocket *> pages;
        int arrived = 0;
        QElapsedTimer sent;
        std::vector<double> lastView, lateness;
        for (int i = 0; i < round; ++i) {
            auto *ws = new QWebSocket(server.origin(QHostAddress::LocalHost));
            QObject::connect(ws, &QWebSocket::textMessageReceived, [&](const QString &m) {
                if (m.contains(QLatin1String("\"state\"")) && ++arrived == round)
                    lastView.push_back(sent.nsecsElapsed() / 1e6);
            });
            ws->open(QUrl(url));
            pages.push_back(ws);
        }
        while (server.pages() < round)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        PhaseTimer timer;
        int n = 0;
        const double cpu0 = cpuMs();
        QElapsedTimer wall;
        wall.start();
        QObject::connect(&timer, &PhaseTimer::timeout, [&] {
            lateness.push_back((timer.elapsedNs() - (timer.nextDueNs() - 1'000'000'000)) / 1e6);
            arrived = 0;
            sent.start();
            server.publishState(QByteArrayLiteral("{\"t\":\"state\",\"due\":0,\"s\":{\"time1\":30,\"question\":\"1\"}}"));
            if (++n >= ticks)
                QTimer::singleShot(500, &app, &QCoreApplication::quit);
        });
        timer.setInterval(1000);
        app.exec();
        const double cpu = (cpuMs() - cpu0) / double(wall.elapsed()) * 100;
        std::sort(lateness.begin(), lateness.end());
        std::sort(lastView.begin(), lastView.end());
        std::printf("%3d views: tick lateness median %.2f ms max %.2f ms; CPU %.1f %%", round,
                    lateness[lateness.size() / 2], lateness.back(), cpu);
        if (!lastView.empty())
            std::printf("; state to last view median %.2f ms max %.2f ms", lastView[lastView.size() / 2],
                        lastView.back());
        std::printf("\n");
        for (auto *p : pages)
            delete p;
    }
    return 0;
}
