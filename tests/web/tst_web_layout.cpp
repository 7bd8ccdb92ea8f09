// The window's geometry and tick against the table the page's script is
// checked against too (layout_cases.test.js).
#include "engine.h"
#include "programme_json.h"
#include "fonts.h"
#include "form1.h"
#include "geometry.h"
#include "silent_ports.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QtTest>
#include <cmath>

using namespace tavrin;

namespace {
QJsonObject table()
{
    QFile f(QStringLiteral(TAVRIN_LAYOUT_CASES));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("no layout table");
    return QJsonDocument::fromJson(f.readAll()).object();
}
const char *colourName(Colour c)
{
    return c == colours::red ? "red" : c == colours::yellow ? "yellow" : c == colours::green ? "green" : "?";
}
int whole(float v)
{
    return static_cast<int>(std::lround(std::clamp(v, -1.0e6f, 1.0e6f)));
}

// Counts the dots on the window since its last clear, and the cue of each tick.
class Window : public SilentWindow {
public:
    int dots = 0;
    void clearDrawing() override { dots = 0; }
    void drawDot(qint32, float, float, float, Colour) override { ++dots; }
};
class Players : public SilentPlayers {
public:
    int last = 0;
    void command(int player, PlayerCommand cmd) override
    {
        if (cmd == PlayerCommand::Play)
            last = player;
    }
};
} // namespace

class TstWebLayout : public QObject {
    Q_OBJECT
private slots:
    void layout_data()
    {
        QTest::addColumn<QJsonObject>("c");
        for (const auto &v : table()[QLatin1String("layout")].toArray()) {
            const QJsonObject c = v.toObject();
            QTest::addRow("w%g t%d %d fk%g", c[QLatin1String("width")].toDouble(), c[QLatin1String("tamasu")].toInt(),
                          c[QLatin1String("time1")].toInt(), c[QLatin1String("fk")].toDouble())
                << c;
        }
    }
    void layout()
    {
        QFETCH(QJsonObject, c);
        const float w = float(c[QLatin1String("width")].toDouble());
        const Integer tamasu = c[QLatin1String("tamasu")].toInt(), time1 = c[QLatin1String("time1")].toInt();
        const float fk = float(c[QLatin1String("fk")].toDouble());
        const geometry::Grid g = geometry::grid(w, tamasu);
        QCOMPARE(g.sukima.value(), c[QLatin1String("sukima")].toInt());
        QCOMPARE(g.hankei.value(), c[QLatin1String("hankei")].toInt());
        for (const auto &v : c[QLatin1String("dots")].toArray()) {
            const QJsonArray d = v.toArray();
            const geometry::Dot dot = geometry::dot(d[0].toInt(), tamasu, g.sukima, g.hankei, fk, time1);
            QCOMPARE(dot.x, float(d[1].toDouble()));
            QCOMPARE(dot.y, float(d[2].toDouble()));
            QCOMPARE(dot.radius, float(d[3].toDouble()));
            QCOMPARE(colourName(dot.colour), qPrintable(d[4].toString()));
        }
        for (const auto &v : c[QLatin1String("banners")].toArray()) {
            const QJsonArray b = v.toArray();
            const float size = geometry::bannerFontSize(w, fk);
            QCOMPARE(size <= 0, b[1].isNull());
            if (size <= 0)
                continue;
            const QJsonObject box = b[1].toObject();
            const float bw = geometry::bannerWidth(b[0].toInt(), size, fk);
            QCOMPARE(whole(geometry::bannerLeft(w, bw)), box[QLatin1String("left")].toInt());
            QCOMPARE(whole(geometry::bannerTop(tamasu, time1, g.sukima, fk)), box[QLatin1String("top")].toInt());
            QCOMPARE(whole(bw), box[QLatin1String("width")].toInt());
            QCOMPARE(whole(geometry::bannerHeight(size, fk)), box[QLatin1String("height")].toInt());
            QCOMPARE(pointsToPixels(size), box[QLatin1String("fontPx")].toInt());
        }
    }

    // The question number and its suffix stand where the window has them.
    void labels()
    {
        Form1 form;
        const QJsonObject l = table()[QLatin1String("labels")].toObject();
        for (auto [name, label] : {std::pair{"question", Form1::Caption::Question}, std::pair{"suffix", Form1::Caption::Suffix}}) {
            const QJsonObject box = l[QLatin1String(name)].toObject();
            QCOMPARE(form.look(label).box, QRect(box[QLatin1String("left")].toInt(), box[QLatin1String("top")].toInt(),
                                                 box[QLatin1String("width")].toInt(), box[QLatin1String("height")].toInt()));
            QCOMPARE(form.look(label).font.pixelSize(), box[QLatin1String("fontPx")].toInt());
        }
    }

    void ticks_data()
    {
        QTest::addColumn<QJsonObject>("c");
        for (const auto &v : table()[QLatin1String("ticks")].toArray())
            QTest::newRow(qPrintable(v.toObject()[QLatin1String("name")].toString())) << v.toObject();
    }
    void ticks()
    {
        QFETCH(QJsonObject, c);
        const QJsonObject from = c[QLatin1String("from")].toObject();
        auto num = [&](const char *k) { return Integer(from[QLatin1String(k)].toInt()); };
        RunSnapshot s;
        s.time1 = num("time1"), s.time2 = num("time2"), s.cycle = num("cycle");
        s.sw = num("sw"), s.ck = num("ck"), s.t = num("t");
        s.resetCaption = s.ck != 0;
        s.resumeCaption = s.ck != 0 && s.sw == 0;
        if (from.contains(QLatin1String("question")))
            s.question = from[QLatin1String("question")].toString();
        if (from.contains(QLatin1String("plan"))) {
            s.plan = programmeFromJson(from[QLatin1String("plan")]).value_or(Programme{});
            s.part = from[QLatin1String("part")].toInt();
            s.lead = from[QLatin1String("lead")].toInt();
        }
        Window window;
        Players players;
        Engine engine(window, players);
        QVERIFY(engine.adopt(s));
        int i = 0;
        for (const auto &v : c[QLatin1String("after")].toArray()) {
            const QJsonArray want = v.toArray();
            players.last = 0;
            engine.Timer1_Timer();
            const RunSnapshot now = engine.snapshot();
            const QString got = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                                    .arg(now.sw.value()).arg(now.ck.value()).arg(now.t.value()).arg(now.question)
                                    .arg(now.moveBanner).arg(now.endBanner).arg(window.dots).arg(players.last);
            const QString expected = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                                         .arg(want[0].toInt()).arg(want[1].toInt()).arg(want[2].toInt())
                                         .arg(want[3].toString()).arg(want[4].toBool()).arg(want[5].toBool())
                                         .arg(want[6].toInt()).arg(want[7].toInt());
            QVERIFY2(got == expected, qPrintable(QStringLiteral("tick %1: %2, table %3").arg(++i).arg(got, expected)));
        }
    }
};

QTEST_MAIN(TstWebLayout)
#include "tst_web_layout.moc"
