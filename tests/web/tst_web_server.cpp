// What a page may send: the time question only; the rest is dropped and counted.
#include "web_server.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>
#include <QtTest>

class TstWebServer : public QObject {
    Q_OBJECT
private slots:
    void onlyTheTimeQuestion()
    {
        tavrin::web::Limits limits;
        limits.maxPages = 1;
        tavrin::web::WebServer server(QStringLiteral("."), limits);
        QVERIFY(server.start(QHostAddress::LocalHost, 0).isEmpty());
        server.setHello(QByteArrayLiteral("{\"t\":\"hello\"}"));
        QWebSocket page, second;
        QStringList got;
        connect(&page, &QWebSocket::textMessageReceived, this, [&](const QString &m) { got << m; });
        page.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(server.port())));
        QTRY_COMPARE(server.pages(), 1);
        // The server may take the page before the page has read its answer;
        // a message sent before then never leaves.
        QTRY_COMPARE(page.state(), QAbstractSocket::ConnectedState);
        // One page too many is refused.
        second.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(server.port())));
        QTRY_COMPARE(server.counters().refusedPages, 1);
        for (const char *m : {"{\"t\":\"time\",\"id\":7}", "not json", "{\"t\":\"start\",\"id\":1}",
                              "{\"t\":\"time\",\"id\":-1}", "{\"t\":\"time\",\"id\":1,\"x\":0}",
                              "{\"t\":\"time\",\"id\":1.5}"})
            page.sendTextMessage(QString::fromLatin1(m));
        page.sendTextMessage(QString(1000, u'x'));
        page.sendBinaryMessage(QByteArray("{\"t\":\"time\",\"id\":8}"));
        QTRY_COMPARE(server.counters().answered, 1);
        QTRY_COMPARE(got.size(), 2);
        const QJsonObject reply = QJsonDocument::fromJson(got[1].toUtf8()).object();
        QCOMPARE(reply[QLatin1String("id")].toInt(), 7);
        QVERIFY(reply[QLatin1String("rx")].toDouble() <= reply[QLatin1String("tx")].toDouble());
        // The oversized message closes the page (over the socket's own limit).
        QTRY_VERIFY(server.counters().dropped >= 5);
        // A page that asks too often is held to its rate.
        tavrin::web::WebServer fast(QStringLiteral("."));
        QVERIFY(fast.start(QHostAddress::LocalHost, 0).isEmpty());
        QWebSocket busy;
        busy.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(fast.port())));
        QTRY_COMPARE(fast.pages(), 1);
        QTRY_COMPARE(busy.state(), QAbstractSocket::ConnectedState);
        for (int i = 0; i < 50; ++i)
            busy.sendTextMessage(QStringLiteral("{\"t\":\"time\",\"id\":%1}").arg(i));
        QTRY_COMPARE(fast.counters().answered + fast.counters().dropped, 50);
        QVERIFY(fast.counters().answered <= 22);
    }
};

QTEST_MAIN(TstWebServer)
#include "tst_web_server.moc"
