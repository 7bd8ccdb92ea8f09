#include "web_server.h"

#include "texts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <chrono>
#include <cmath>

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
};

namespace {

const char *const kCueNames[] = {texts::defaultCue1, texts::defaultCue2, texts::defaultCue3, texts::chimeCue};

Reply resource(const char *name, const QByteArray &mime)
{
    QFile f(QStringLiteral(":/tavrin/web/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return {f.readAll(), mime, true};
}

} // namespace

// Fixed routes and nothing else; a request to upgrade is taken (true)
// without an answer, and Qt hands it to the WebSocket side.
class WebServer::Http : public QAbstractHttpServer {
public:
    explicit Http(WebServer &server) : server_(server) {}

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        for (const auto &[name, value] : request.headers())
            if (name.compare("upgrade", Qt::CaseInsensitive) == 0)
                return true;
        QHttpServerResponder r = makeResponder(request, socket);
        const Reply reply = server_.reply(request.url().path());
        if (!reply.found || request.method() != QHttpServerRequest::Method::Get) {
            r.write(QHttpServerResponder::StatusCode::NotFound);
            return true;
        }
        // A page left open on a tablet gets the program's own version on reload.
        r.write(reply.body, {{"Content-Type", reply.mime}, {"Cache-Control", "no-cache"}});
        return true;
    }
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
    }

private:
    WebServer &server_;
};


struct WebServer::Page {
    std::unique_ptr<QWebSocket> socket;
    double tokens = 0;
    QElapsedTimer refill;
};

Reply WebServer::reply(const QString &path) const
{
    if (path == QLatin1String("/"))
        return resource("index.html", "text/html; charset=utf-8");
    if (path == QLatin1String("/layout.js"))
        return resource("layout.js", "text/javascript; charset=utf-8");
    if (path == QLatin1String("/room.js"))
        return resource("room.js", "text/javascript; charset=utf-8");
    // Only the four fixed names; what was asked is compared, never opened.
    for (const char *name : kCueNames) {
        if (path != QLatin1String("/cues/") + QLatin1String(name))
            continue;
        const QString own = QDir(workDir_).filePath(QLatin1String(name));
        const QFileInfo info(own);
        QFile f(info.isFile() && info.size() <= limits_.maxCueFile ? own
                                                                   : QStringLiteral(":/tavrin/cues/") + QLatin1String(name));
        if (f.open(QIODevice::ReadOnly))
            return {f.read(limits_.maxCueFile), "audio/wav", true};
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
    return tcp_ ? tcp_->serverPort() : 0;
}

QString WebServer::start(const QHostAddress &address, quint16 port)
{
    stop();
    auto tcp = std::make_unique<QTcpServer>();
    if (!tcp->listen(address, port))
        return tcp->errorString();
    http_ = std::make_unique<Http>(*this);
    tcp_ = tcp.release();
    tcp_->setParent(http_.get());
    http_->bind(tcp_);
    connect(http_.get(), &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::acceptPages);
    return {};
}

void WebServer::stop()
{
    const bool had = !pages_.empty();
    for (auto &p : pages_) {
        p->socket->disconnect(this);
        p->socket->close(QWebSocketProtocol::CloseCodeGoingAway);
    }
    pages_.clear();
    http_.reset();
    tcp_ = nullptr;
    if (had)
        emit pagesChanged(0);
}

void WebServer::acceptPages()
{
    while (http_ && http_->hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> ws = http_->nextPendingWebSocketConnection();
        if (!ws)
            continue;
        if (pages() >= limits_.maxPages || ws->requestUrl().path() != QLatin1String("/ws")) {
            ++counters_.refusedPages;
            ws->close(QWebSocketProtocol::CloseCodePolicyViolated);
            ws.release()->deleteLater();
            continue;
        }
        ws->setMaxAllowedIncomingMessageSize(static_cast<quint64>(limits_.maxMessage));
        ws->setMaxAllowedIncomingFrameSize(static_cast<quint64>(limits_.maxMessage));
        auto page = std::make_unique<Page>();
        page->socket = std::move(ws);
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

void WebServer::drop(Page *page)
{
    auto it = std::find_if(pages_.begin(), pages_.end(), [page](const auto &p) { return p.get() == page; });
    if (it == pages_.end())
        return;
    (*it)->socket->disconnect(this);
    (*it)->socket.release()->deleteLater();
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

} // namespace tavrin::web
