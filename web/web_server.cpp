#include "web_server.h"

#include "texts.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>

#include <sys/resource.h>
#include <sys/select.h>

// The page's resources live in this static library, not registered on their own.
static void initWebResources()
{
    Q_INIT_RESOURCE(web);
}

namespace tavrin::web {

struct Reply {
    QByteArray body;
    QByteArray mime;
    bool found = false;
    QString source; // what it was read from, and as it was then
    qint64 size = -1;
    QDateTime modified;
};

namespace {

const char *const kCueNames[] = {texts::defaultCue1, texts::defaultCue2, texts::defaultCue3, texts::chimeCue};
constexpr qint64 kChunk = 64 * 1024; // of an answer queued at a time
constexpr qint64 kClosingMs = 2000;  // for an error's answer to leave before the connection is cut

qint64 nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Reply resource(const char *name, const QByteArray &mime)
{
    QFile f(QStringLiteral(":/tavrin/web/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return {f.readAll(), mime, true, {}, -1, {}};
}

QByteArray reason(int status)
{
    static const std::map<int, QByteArray> reasons{
        {200, "OK"},          {400, "Bad Request"},          {403, "Forbidden"},
        {404, "Not Found"},   {405, "Method Not Allowed"},   {413, "Content Too Large"},
        {421, "Misdirected Request"}, {431, "Request Header Fields Too Large"}, {503, "Service Unavailable"}};
    const auto it = reasons.find(status);
    return it == reasons.end() ? QByteArray("Error") : it->second;
}

bool isToken(QByteArrayView s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](char ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
               QByteArrayView("!#$%&'*+-.^_`|~").contains(ch);
    });
}

bool hasToken(const QByteArray &list, QByteArrayView token)
{
    for (const QByteArray &t : list.split(','))
        if (t.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Where a page comes from, for the cap per address: an IPv6 host may use any
// address of its /64.
QString addressKey(const QHostAddress &a)
{
    bool v4 = false;
    const quint32 ip4 = a.toIPv4Address(&v4);
    if (v4)
        return QHostAddress(ip4).toString();
    const Q_IPV6ADDR ip6 = a.toIPv6Address();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(ip6.c), 8).toHex());
}

bool isAny(const QHostAddress &a)
{
    return a == QHostAddress::Any || a == QHostAddress::AnyIPv4 || a == QHostAddress::AnyIPv6;
}

} // namespace

// One HTTP connection, until it is answered and closed or becomes a page.
struct WebServer::Conn {
    QTcpSocket *socket = nullptr;  // a child of its QTcpServer
    qint64 since = 0;              // accepted, on the steady clock (ms)
    qint64 deadline = 0;           // closed if nothing happens by then
    std::shared_ptr<const Reply> out; // the body being sent
    qint64 outAt = 0;
    bool answering = false;
    bool closeAfter = false;
    bool ending = false; // disconnecting
};

struct WebServer::Page {
    std::unique_ptr<QWebSocket> socket;
    QString from;        // addressKey of its peer
    qint64 since = 0;    // steady clock (ms)
    qint64 lastAsk = 0;  // its last time question, or since
    double tokens = 0;
    QElapsedTimer refill;
};

namespace {

// What is read of a request: its line and the headers that matter here.
struct Head {
    QByteArray method;
    QByteArray path;
    QByteArray host;
    QByteArray origin;
    bool bad = false;
    bool body = false;
    bool upgrade = false; // to a WebSocket
    bool close = false;
};

Head parseHead(QByteArrayView text)
{
    Head h;
    QList<QByteArray> lines;
    for (qsizetype at = 0; at <= text.size();) {
        qsizetype end = text.indexOf("\r\n", at);
        if (end < 0)
            end = text.size();
        lines << text.sliced(at, end - at).toByteArray();
        at = end + 2;
    }
    const QList<QByteArray> request = lines.front().split(' ');
    if (request.size() != 3 || !isToken(request[0]) || !request[1].startsWith('/') ||
        (request[2] != "HTTP/1.1" && request[2] != "HTTP/1.0")) {
        h.bad = true;
        return h;
    }
    h.method = request[0];
    const qsizetype query = request[1].indexOf('?');
    h.path = query < 0 ? request[1] : request[1].first(query);
    h.close = request[2] == "HTTP/1.0";
    bool hostSeen = false, websocket = false, connectionUpgrade = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        const qsizetype colon = line.indexOf(':');
        // A folded line, a name with blanks, a bare line end: ways to
        // smuggle a header past a check.
        if (colon <= 0 || !isToken(line.left(colon)) || line.contains('\n') || line.contains('\r')) {
            h.bad = true;
            return h;
        }
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "host") {
            h.bad |= hostSeen;
            hostSeen = true;
            h.host = value.toLower();
        } else if (name == "origin") {
            h.origin = value.toLower();
        } else if (name == "content-length") {
            h.body |= value != "0";
        } else if (name == "transfer-encoding") {
            h.body = true;
        } else if (name == "upgrade") {
            websocket = hasToken(value, "websocket");
        } else if (name == "connection") {
            connectionUpgrade = hasToken(value, "upgrade");
            h.close |= hasToken(value, "close");
        }
    }
    h.upgrade = websocket && connectionUpgrade;
    return h;
}

} // namespace

Reply WebServer::reply(const QString &path) const
{
    auto cached = [this, &path](Reply r) {
        auto shared = std::make_shared<const Reply>(std::move(r));
        cache_.insert(path, shared);
        return *shared;
    };
    if (const auto it = cache_.constFind(path); it != cache_.constEnd() && (*it)->source.isEmpty())
        return **it;
    if (path == QLatin1String("/"))
        return cached(resource("index.html", "text/html; charset=utf-8"));
    if (path == QLatin1String("/layout.js"))
        return cached(resource("layout.js", "text/javascript; charset=utf-8"));
    if (path == QLatin1String("/room.js"))
        return cached(resource("room.js", "text/javascript; charset=utf-8"));
    // Only the four fixed names; what was asked is compared, never opened.
    for (const char *name : kCueNames) {
        if (path != QLatin1String("/cues/") + QLatin1String(name))
            continue;
        const QString own = QDir(workDir_).filePath(QLatin1String(name));
        const QFileInfo info(own);
        const bool useOwn = info.isFile() && info.size() <= limits_.maxCueFile;
        const QString source = useOwn ? own : QStringLiteral(":/tavrin/cues/") + QLatin1String(name);
        const qint64 size = useOwn ? info.size() : 0;
        const QDateTime modified = useOwn ? info.lastModified() : QDateTime();
        // Read once while the file stays as it was: a hundred tablets share one copy.
        if (const auto it = cache_.constFind(path); it != cache_.constEnd() && (*it)->source == source &&
                                                     (*it)->size == size && (*it)->modified == modified)
            return **it;
        QFile f(source);
        if (f.open(QIODevice::ReadOnly))
            return cached({f.read(limits_.maxCueFile), "audio/wav", true, source, size, modified});
    }
    return {};
}

WebServer::WebServer(const QString &workDir, Limits limits, QObject *parent)
    : QObject(parent), workDir_(workDir), limits_(limits)
{
    initWebResources();
}

WebServer::~WebServer()
{
    stop();
}

qint64 WebServer::wallUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

quint16 WebServer::port() const
{
    return servers_.empty() ? 0 : servers_.front()->serverPort();
}

QList<QHostAddress> WebServer::addresses() const
{
    QList<QHostAddress> out;
    for (const QTcpServer *s : servers_)
        out << s->serverAddress();
    return out;
}

QString WebServer::origin(const QHostAddress &address) const
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + address.toString() + u']'
                             : address.toString();
    return QStringLiteral("http://%1:%2").arg(host).arg(port());
}

int WebServer::connections() const
{
    return static_cast<int>(conns_.size() + handshakes_.size() + pages_.size());
}

QString WebServer::start(const QList<QHostAddress> &addresses, quint16 port)
{
    stop();
    for (const QHostAddress &a : addresses) {
        auto *tcp = new QTcpServer(this);
        servers_.push_back(tcp);
        if (!tcp->listen(a, servers_.size() == 1 ? port : this->port())) {
            const QString why = QStringLiteral("%1: %2").arg(a.toString(), tcp->errorString());
            stop();
            return why;
        }
        connect(tcp, &QTcpServer::newConnection, this, [this, tcp] { accept(tcp); });
        // Out of descriptors Qt stops accepting for good: try again in a while.
        connect(tcp, &QTcpServer::acceptError, tcp,
                [tcp] { QTimer::singleShot(1000, tcp, &QTcpServer::resumeAccepting); });
    }
    if (servers_.empty())
        return QStringLiteral("no address");

    const quint16 p = this->port();
    auto addHost = [this, p](const QString &host) {
        hosts_ << QStringLiteral("%1:%2").arg(host).arg(p);
        origins_ << QStringLiteral("http://%1:%2").arg(host).arg(p);
        if (p == 80) {
            hosts_ << host;
            origins_ << QStringLiteral("http://") + host;
        }
    };
    for (const QHostAddress &a : addresses) {
        for (QHostAddress n : isAny(a) ? QNetworkInterface::allAddresses() : QList<QHostAddress>{a}) {
            n.setScopeId({});
            addHost(n.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + n.toString() + u']' : n.toString());
            if (n.isLoopback())
                addHost(QStringLiteral("localhost"));
        }
    }

    // The lower of the process's limit and what select() can wait on; the
    // reserve below it, and what the program holds already, stay free.
    rlimit lim{};
    const rlim_t soft = getrlimit(RLIMIT_NOFILE, &lim) == 0 ? lim.rlim_cur : FD_SETSIZE;
    descriptorCeiling_ = static_cast<int>(std::min<rlim_t>(soft, FD_SETSIZE));
    const int open = static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
    capacity_ = std::max(16, std::min(limits_.maxConnections, descriptorCeiling_ - limits_.reserveDescriptors - open));

    ws_ = new QWebSocketServer(QStringLiteral("Tavrin"), QWebSocketServer::NonSecureMode, this);
    ws_->setMaxPendingConnections(64);
    connect(ws_, &QWebSocketServer::newConnection, this, &WebServer::acceptPages);
    sweeper_ = new QTimer(this);
    connect(sweeper_, &QTimer::timeout, this, &WebServer::sweep);
    sweeper_->start(250);
    return {};
}

void WebServer::stop()
{
    const bool had = !pages_.empty();
    for (auto &c : conns_) {
        c->socket->disconnect(this);
        c->socket->abort();
    }
    conns_.clear();
    for (auto &p : pages_) {
        p->socket->disconnect(this);
        p->socket->close(QWebSocketProtocol::CloseCodeGoingAway);
    }
    pages_.clear();
    handshakes_.clear();
    delete ws_;
    ws_ = nullptr;
    delete sweeper_;
    sweeper_ = nullptr;
    for (QTcpServer *s : servers_)
        delete s;
    servers_.clear();
    hosts_.clear();
    origins_.clear();
    if (had)
        emit pagesChanged(0);
}

void WebServer::accept(QTcpServer *from)
{
    while (from->hasPendingConnections()) {
        QTcpSocket *s = from->nextPendingConnection();
        if (!s)
            continue;
        if ((connections() >= capacity_ || s->socketDescriptor() >= descriptorCeiling_ - limits_.reserveDescriptors) &&
            !makeRoom()) {
            ++counters_.shed;
            s->abort();
            s->deleteLater();
            continue;
        }
        // A body or a header past the bound stays in the kernel, unread.
        s->setReadBufferSize(limits_.maxHead);
        auto conn = std::make_unique<Conn>();
        Conn *c = conn.get();
        c->socket = s;
        c->since = nowMs();
        c->deadline = c->since + limits_.headMs;
        conns_.push_back(std::move(conn));
        connect(s, &QTcpSocket::readyRead, this, [this, c] { readHead(c); });
        connect(s, &QTcpSocket::bytesWritten, this, [this, c] {
            c->deadline = nowMs() + (c->ending ? kClosingMs : limits_.stallMs);
            topUp(c);
        });
        connect(s, &QTcpSocket::disconnected, this, [this, c] { finish(c, true); });
        if (s->bytesAvailable() > 0)
            readHead(c);
    }
}

// Closes the connection that has waited longest for a request, closing
// ones first; false when every one is being answered.
bool WebServer::makeRoom()
{
    Conn *victim = nullptr;
    for (auto &c : conns_) {
        if (c->answering && !c->ending)
            continue;
        if (!victim || (c->ending && !victim->ending) || (c->ending == victim->ending && c->since < victim->since))
            victim = c.get();
    }
    if (!victim)
        return false;
    ++counters_.shed;
    finish(victim, true);
    return true;
}

void WebServer::sweep()
{
    const qint64 now = nowMs();
    std::vector<Conn *> late;
    for (auto &c : conns_)
        if (now >= c->deadline)
            late.push_back(c.get());
    for (Conn *c : late) {
        if (!c->ending)
            ++counters_.timedOut;
        finish(c, true);
    }
    // Handshakes that failed or were taken as pages.
    std::erase_if(handshakes_, [](const QPointer<QTcpSocket> &s) {
        return !s || s->state() != QAbstractSocket::ConnectedState;
    });
}

void WebServer::finish(Conn *c, bool abort)
{
    if (!abort) {
        // The answer leaves first; the sweep cuts a peer that does not take it.
        c->ending = true;
        c->deadline = nowMs() + kClosingMs;
        c->socket->disconnectFromHost();
        return;
    }
    const auto it = std::find_if(conns_.begin(), conns_.end(), [c](const auto &p) { return p.get() == c; });
    if (it == conns_.end())
        return;
    QTcpSocket *s = c->socket;
    s->disconnect(this);
    conns_.erase(it);
    s->abort();
    s->deleteLater();
}

int WebServer::hostCheck(const QByteArray &host, const QByteArray &origin) const
{
    // Only this server's own names: a page of another site that a browser
    // was made to send here (a name that now points at this PC) is refused.
    if (host.isEmpty())
        return 400;
    if (!hosts_.contains(QString::fromLatin1(host)))
        return 421;
    if (!origin.isEmpty() && !origins_.contains(QString::fromLatin1(origin)))
        return 403;
    return 0;
}

void WebServer::readHead(Conn *c)
{
    if (c->answering || c->ending)
        return;
    const QByteArray seen = c->socket->peek(limits_.maxHead);
    const qsizetype end = seen.indexOf("\r\n\r\n");
    if (end < 0) {
        if (seen.size() >= limits_.maxHead) {
            ++counters_.refusedRequests;
            answer(c, 431);
        }
        return;
    }
    const Head h = parseHead(QByteArrayView(seen).first(end));
    int status = h.bad ? 400 : h.body ? 413 : hostCheck(h.host, h.origin);
    if (status == 0 && h.upgrade) {
        // A WebSocket only from the page itself; Qt's server reads the
        // request again from the socket, so it is left unread.
        if (h.path != "/ws" || h.method != "GET")
            status = 404;
        else if (h.origin.isEmpty())
            status = 403;
        else
            return upgrade(c);
    }
    if (status != 0) {
        ++counters_.refusedRequests;
        return answer(c, status);
    }
    c->socket->read(end + 4);
    const bool head = h.method == "HEAD";
    if (h.method != "GET" && !head) {
        ++counters_.refusedRequests;
        return answer(c, 405);
    }
    const Reply r = reply(QString::fromLatin1(h.path));
    if (!r.found)
        return answer(c, 404, nullptr, false, h.close);
    answer(c, 200, &r, head, h.close);
}

void WebServer::answer(Conn *c, int status, const Reply *body, bool headOnly, bool close)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    if (body)
        // A page left open on a tablet gets the program's own version on reload.
        head += "Content-Type: " + body->mime + "\r\nCache-Control: no-cache\r\n";
    head += "Content-Length: " + QByteArray::number(body ? body->body.size() : 0) + "\r\n";
    if (close)
        head += "Connection: close\r\n";
    head += "\r\n";
    c->socket->write(head);
    c->out = body && !headOnly ? std::make_shared<const Reply>(*body) : nullptr;
    c->outAt = 0;
    c->answering = true;
    c->closeAfter = close;
    c->deadline = nowMs() + limits_.stallMs;
    topUp(c);
}

// The body a piece at a time, as the browser takes it: a slow reader holds
// one piece, never the whole file.
void WebServer::topUp(Conn *c)
{
    if (!c->answering || c->ending)
        return;
    QTcpSocket *s = c->socket;
    const qint64 size = c->out ? c->out->body.size() : 0;
    while (c->outAt < size && s->bytesToWrite() < kChunk) {
        const qint64 n = std::min(kChunk, size - c->outAt);
        s->write(c->out->body.constData() + c->outAt, n);
        c->outAt += n;
    }
    if (c->outAt < size || s->bytesToWrite() > 0)
        return;
    if (c->closeAfter)
        return finish(c, false);
    c->answering = false;
    c->out.reset();
    c->deadline = nowMs() + limits_.headMs;
    // A request sent behind this one is read now.
    if (s->bytesAvailable() > 0)
        readHead(c);
}

void WebServer::upgrade(Conn *c)
{
    QTcpSocket *s = c->socket;
    s->disconnect(this);
    const auto it = std::find_if(conns_.begin(), conns_.end(), [c](const auto &p) { return p.get() == c; });
    conns_.erase(it);
    handshakes_.push_back(s);
    // It reads the request from the socket's buffer, where it was left.
    ws_->handleConnection(s);
}

void WebServer::acceptPages()
{
    while (ws_ && ws_->hasPendingConnections()) {
        std::unique_ptr<QWebSocket> ws(ws_->nextPendingConnection());
        if (!ws)
            continue;
        std::erase_if(handshakes_, [&ws](const QPointer<QTcpSocket> &s) {
            return !s || (s->peerPort() == ws->peerPort() && s->peerAddress() == ws->peerAddress());
        });
        if (!roomForPage(ws->peerAddress())) {
            ++counters_.refusedPages;
            ws->close(QWebSocketProtocol::CloseCodePolicyViolated);
            ws.release()->deleteLater();
            continue;
        }
        ws->setMaxAllowedIncomingMessageSize(static_cast<quint64>(limits_.maxMessage));
        ws->setMaxAllowedIncomingFrameSize(static_cast<quint64>(limits_.maxMessage));
        auto page = std::make_unique<Page>();
        page->from = addressKey(ws->peerAddress());
        page->socket = std::move(ws);
        page->since = page->lastAsk = nowMs();
        page->tokens = limits_.burst;
        page->refill.start();
        Page *p = page.get();
        connect(p->socket.get(), &QWebSocket::textMessageReceived, this,
                [this, p](const QString &m) { received(p, m, wallUs()); });
        connect(p->socket.get(), &QWebSocket::binaryMessageReceived, this, [this] { ++counters_.dropped; });
        connect(p->socket.get(), &QWebSocket::disconnected, this, [this, p] { drop(p); });
        pages_.push_back(std::move(page));
        if (!hello_.isEmpty())
            send(*p, QString::fromUtf8(hello_));
        if (!state_.isEmpty())
            send(*p, QString::fromUtf8(state_));
        emit pagesChanged(pages());
    }
}

// Makes room for a page from an address, if need be by closing one that
// gives way: of the same address when it has its share already, else the
// one idle longest, else the oldest of the address with the most. A page
// closed reconnects by itself.
bool WebServer::roomForPage(const QHostAddress &from)
{
    const QString key = addressKey(from);
    std::map<QString, std::vector<Page *>> by;
    for (auto &p : pages_)
        by[p->from].push_back(p.get());
    const bool perAddress = by[key].size() >= static_cast<size_t>(limits_.maxPagesPerAddress);
    if (!perAddress && pages() < limits_.maxPages)
        return true;
    const qint64 now = nowMs();
    Page *victim = nullptr;
    for (auto &p : pages_)
        if ((!perAddress || p->from == key) && now - p->lastAsk >= limits_.pageIdleMs &&
            (!victim || p->lastAsk < victim->lastAsk))
            victim = p.get();
    if (!victim && perAddress)
        victim = by[key].front();
    if (!victim) {
        const auto busiest = std::max_element(by.begin(), by.end(), [](const auto &a, const auto &b) {
            return a.second.size() < b.second.size();
        });
        if (busiest->second.size() > 1 && busiest->first != key)
            victim = busiest->second.front();
    }
    if (!victim)
        return false;
    ++counters_.displacedPages;
    drop(victim, true);
    return true;
}

void WebServer::drop(Page *page, bool displaced)
{
    auto it = std::find_if(pages_.begin(), pages_.end(), [page](const auto &p) { return p.get() == page; });
    if (it == pages_.end())
        return;
    QWebSocket *ws = (*it)->socket.release();
    ws->disconnect(this);
    if (displaced)
        ws->close(QWebSocketProtocol::CloseCodeGoingAway);
    ws->deleteLater();
    pages_.erase(it);
    emit pagesChanged(pages());
}

void WebServer::received(Page *page, const QString &message, qint64 rxUs)
{
    // A bucket of questions per page, refilled with time.
    page->tokens = std::min<double>(limits_.burst,
                                    page->tokens + double(page->refill.restart()) / 1000.0 * limits_.perSecond);
    if (page->tokens < 1 || message.size() > limits_.maxMessage) {
        ++counters_.dropped;
        return;
    }
    page->tokens -= 1;
    const QJsonDocument doc = QJsonDocument::fromJson(message.toUtf8());
    const QJsonObject o = doc.object();
    const double id = o.value(QLatin1String("id")).toDouble(-1);
    if (!doc.isObject() || o.size() != 2 || o.value(QLatin1String("t")).toString() != QLatin1String("time") ||
        !(id >= 0 && id <= 2147483647.0) || std::floor(id) != id) {
        ++counters_.dropped;
        return;
    }
    ++counters_.answered;
    page->lastAsk = nowMs();
    QJsonObject reply{{QStringLiteral("t"), QStringLiteral("time")},
                      {QStringLiteral("id"), id},
                      {QStringLiteral("rx"), double(rxUs)}};
    reply.insert(QStringLiteral("tx"), double(wallUs()));
    send(*page, QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact)));
}

void WebServer::send(Page &page, const QString &message)
{
    // A page that does not read what it is sent misses states rather than
    // filling the memory: each state is whole, the next one puts it right.
    if (page.socket->bytesToWrite() > limits_.maxQueued) {
        ++counters_.skippedSends;
        return;
    }
    page.socket->sendTextMessage(message);
}

void WebServer::publishState(const QByteArray &message)
{
    state_ = message;
    publishEvent(message);
}

void WebServer::publishEvent(const QByteArray &message)
{
    if (pages_.empty())
        return;
    outbox_.push_back(message);
    if (flushQueued_)
        return;
    flushQueued_ = true;
    QTimer::singleShot(0, this, &WebServer::flush);
}

void WebServer::flush()
{
    flushQueued_ = false;
    std::vector<QByteArray> out;
    out.swap(outbox_);
    for (const QByteArray &m : out) {
        const QString text = QString::fromUtf8(m);
        for (auto &p : pages_)
            send(*p, text);
    }
}

QList<QHostAddress> listenAddresses(const QStringList &chosen, QString &bad)
{
    QList<QHostAddress> out;
    for (const QString &text : chosen) {
        const QHostAddress a(text);
        if (a.isNull()) {
            bad = text;
            return {};
        }
        if (!out.contains(a))
            out << a;
    }
    if (!out.isEmpty())
        return out;
    out << QHostAddress(QHostAddress::LocalHost);
    if (const QHostAddress lan = lanAddress(); !lan.isNull())
        out << lan;
    return out;
}

QHostAddress lanAddress()
{
    static const QList<QPair<QHostAddress, int>> privateNets{QHostAddress::parseSubnet(QStringLiteral("10.0.0.0/8")),
                                                             QHostAddress::parseSubnet(QStringLiteral("172.16.0.0/12")),
                                                             QHostAddress::parseSubnet(QStringLiteral("192.168.0.0/16"))};
    QHostAddress best;
    bool bestPrivate = false;
    for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
        const auto f = i.flags();
        if (!(f & QNetworkInterface::IsUp) || !(f & QNetworkInterface::IsRunning) ||
            (f & QNetworkInterface::IsLoopBack) || (f & QNetworkInterface::IsPointToPoint))
            continue;
        for (const QNetworkAddressEntry &e : i.addressEntries()) {
            const QHostAddress ip = e.ip();
            if (ip.protocol() != QAbstractSocket::IPv4Protocol || ip.isLinkLocal())
                continue;
            const bool isPrivate = std::any_of(privateNets.begin(), privateNets.end(),
                                               [&ip](const auto &net) { return ip.isInSubnet(net); });
            if (best.isNull() || (isPrivate && !bestPrivate)) {
                best = ip;
                bestPrivate = isPrivate;
            }
        }
    }
    return best;
}

} // namespace tavrin::web
