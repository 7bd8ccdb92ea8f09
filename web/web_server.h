#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QTcpServer;
class QWebSocket;

namespace tavrin::web {

struct Reply;

// What a browser may cost the serving Tavrin. A page sends only the time
// question, a few dozen bytes, a few times a minute.
struct Limits {
    int maxPages = 250;
    qsizetype maxMessage = 128;      // bytes of one message from a page
    int burst = 20;                  // questions a page may ask at once...
    double perSecond = 2.0;          // ...and on average
    qint64 maxQueued = 64 * 1024;    // bytes waiting for a slow page; beyond, it misses states
    qint64 maxCueFile = 32 * 1024 * 1024;
};

struct Counters {
    qint64 answered = 0;        // time questions answered
    qint64 dropped = 0;         // messages refused: oversized, malformed, binary, too many
    qint64 refusedPages = 0;    // connections refused: too many, or not the page's address
    qint64 skippedSends = 0;    // states not queued for a page that did not read them
};

// The page, its script and the cue files over HTTP, and the run to every
// page over WebSockets on the same port. Nothing a browser sends becomes a
// file name, a path or a command: the routes are fixed, and the only message
// a page may send is the time question {"t":"time","id":N}.
class WebServer : public QObject {
    Q_OBJECT
public:
    // Cue files are looked for in workDir, by their fixed names only.
    explicit WebServer(const QString &workDir, Limits limits = {}, QObject *parent = nullptr);
    ~WebServer() override;

    // Empty when listening, otherwise why not. A port of 0 takes a free one.
    QString start(const QHostAddress &address, quint16 port);
    void stop();
    bool listening() const { return tcp_ != nullptr; }
    quint16 port() const;

    // The greeting every page gets first, and the state it gets then and
    // whenever the state changes. Sends are queued after the caller's turn
    // of the event loop, one small message per page.
    void setHello(const QByteArray &message) { hello_ = message; }
    void publishState(const QByteArray &message);
    // A message for the pages connected now only.
    void publishEvent(const QByteArray &message);

    int pages() const { return static_cast<int>(pages_.size()); }
    const Counters &counters() const { return counters_; }

    // The wall clock in microseconds since the epoch.
    static qint64 wallUs();

signals:
    void pagesChanged(int pages);

private:
    struct Page;
    class Http;
    struct Reply reply(const QString &path) const;
    void acceptPages();
    void received(Page *page, const QString &message, qint64 rxUs);
    void drop(Page *page);
    void send(Page &page, const QString &message);
    void flush();

    QString workDir_;
    Limits limits_;
    std::unique_ptr<Http> http_;
    QTcpServer *tcp_ = nullptr; // owned by http_
    std::vector<std::unique_ptr<Page>> pages_;
    QByteArray hello_;
    QByteArray state_;
    std::vector<QByteArray> outbox_;
    bool flushQueued_ = false;
    Counters counters_;
};

} // namespace tavrin::web
