#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QString>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QTimer;
class QWebSocket;
class QWebSocketServer;

namespace tavrin::web {

struct Reply;

// What a browser may cost the serving Tavrin. A page loads four small files,
// then sends only the time question, a few dozen bytes, every few seconds.
struct Limits {
    int maxPages = 250;
    int maxPagesPerAddress = 8;      // from one IPv4 address, or one IPv6 /64
    int pageIdleMs = 20000;          // a page that asked nothing for this long gives way to a new one
    qsizetype maxMessage = 128;      // bytes of one message from a page
    int burst = 20;                  // questions a page may ask at once...
    double perSecond = 2.0;          // ...and on average
    qint64 maxQueued = 64 * 1024;    // bytes waiting for a slow page; beyond, it misses states
    qint64 maxCueFile = 32 * 1024 * 1024;
    qsizetype maxHead = 8 * 1024;    // a request's line and headers together
    int headMs = 5000;               // for them to arrive, from the connect or the last answer
    int stallMs = 10000;             // an answer the browser does not read for this long is dropped
    int maxConnections = 512;        // requests and pages together
    // Descriptors left to the rest of the program (the broker link, the
    // journal, the sound output), below the lower of the process's limit and
    // FD_SETSIZE: the broker's library waits on its socket with select().
    int reserveDescriptors = 64;
};

struct Counters {
    qint64 answered = 0;        // time questions answered
    qint64 dropped = 0;         // messages refused: oversized, malformed, binary, too many
    qint64 refusedPages = 0;    // WebSockets refused: too many
    qint64 skippedSends = 0;    // states not queued for a page that did not read them
    qint64 refusedRequests = 0; // answered with an error: too large, a body, a stranger's Host or Origin, malformed
    qint64 timedOut = 0;        // connections closed for being idle or slow
    qint64 shed = 0;            // connections closed to make room for newer ones
    qint64 displacedPages = 0;  // pages closed to make room for a new one
};

// The page, its script and the cue files over HTTP, and the run to every
// page over WebSockets on the same port. Nothing a browser sends becomes a
// file name, a path or a command: the routes are fixed, and the only message
// a page may send is the time question {"t":"time","id":N}. Requests are
// read by this class itself, within bounds: no body is ever read, and a
// WebSocket upgrade is handed to Qt's WebSocket server once its headers
// have passed.
class WebServer : public QObject {
    Q_OBJECT
public:
    // Cue files are looked for in workDir, by their fixed names only.
    explicit WebServer(const QString &workDir, Limits limits = {}, QObject *parent = nullptr);
    ~WebServer() override;

    // Empty when listening on every address, otherwise why not (and not
    // listening at all). A port of 0 takes a free one, the same for all.
    QString start(const QList<QHostAddress> &addresses, quint16 port);
    QString start(const QHostAddress &address, quint16 port) { return start(QList<QHostAddress>{address}, port); }
    void stop();
    bool listening() const { return !servers_.empty(); }
    quint16 port() const;
    QList<QHostAddress> addresses() const;
    // The origin of the page as served at address (what a browser sends).
    QString origin(const QHostAddress &address) const;

    // The greeting every page gets first, and the state it gets then and
    // whenever the state changes. Sends are queued after the caller's turn
    // of the event loop, one small message per page.
    void setHello(const QByteArray &message) { hello_ = message; }
    void publishState(const QByteArray &message);
    // A message for the pages connected now only.
    void publishEvent(const QByteArray &message);

    int pages() const { return static_cast<int>(pages_.size()); }
    // Open HTTP connections (not yet pages) and connections in all.
    int requests() const { return static_cast<int>(conns_.size()); }
    int connections() const;
    const Counters &counters() const { return counters_; }

    // The wall clock in microseconds since the epoch.
    static qint64 wallUs();

signals:
    void pagesChanged(int pages);

private:
    struct Page;
    struct Conn;
    Reply reply(const QString &path) const;
    void accept(QTcpServer *from);
    void readHead(Conn *c);
    void answer(Conn *c, int status, const Reply *body = nullptr, bool headOnly = false, bool close = true);
    void topUp(Conn *c);
    void finish(Conn *c, bool abort);
    bool makeRoom();
    void sweep();
    int hostCheck(const QByteArray &host, const QByteArray &origin) const;
    void upgrade(Conn *c);
    void acceptPages();
    bool roomForPage(const QHostAddress &from);
    void received(Page *page, const QString &message, qint64 rxUs);
    void drop(Page *page, bool displaced = false);
    void send(Page &page, const QString &message);
    void flush();

    QString workDir_;
    Limits limits_;
    std::vector<QTcpServer *> servers_; // children of this object
    QWebSocketServer *ws_ = nullptr;
    QTimer *sweeper_ = nullptr;
    std::vector<std::unique_ptr<Conn>> conns_;
    std::vector<QPointer<QTcpSocket>> handshakes_; // handed to ws_, not yet pages
    std::vector<std::unique_ptr<Page>> pages_;
    QSet<QString> hosts_;   // Host values of this server, lower case
    QSet<QString> origins_; // and the matching origins
    int capacity_ = 0;      // connections allowed, within the descriptors
    int descriptorCeiling_ = 0;
    mutable QHash<QString, std::shared_ptr<const Reply>> cache_;
    QByteArray hello_;
    QByteArray state_;
    std::vector<QByteArray> outbox_;
    bool flushQueued_ = false;
    Counters counters_;
};

// Where to serve: the addresses chosen (bad names the first that is not
// one), or this machine's loopback and its LAN address.
QList<QHostAddress> listenAddresses(const QStringList &chosen, QString &bad);
// The address of this machine on its LAN, a private network's first; null
// when it has none.
QHostAddress lanAddress();

} // namespace tavrin::web
