// The cues seen as a band and the dots told by shape, on the window and the
// room display, as the program wires them.
#include "access.h"
#include "room_display.h"
#include "texts.h"
#include "window_rig.h"

#include <QLineEdit>
#include <QTest>
#include <QVector3D>

#include <cmath>

using namespace tavrin;

namespace {
QImage picture(QWidget &w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A red-green blind eye (deuteranopia, severity 1, after Machado, Oliveira
// and Fernandes 2009), applied in linear RGB.
QVector3D deuteranope(QColor c)
{
    auto lin = [](double v) { return float(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4)); };
    const QVector3D l(lin(c.redF()), lin(c.greenF()), lin(c.blueF()));
    auto row = [&](float a, float b, float d) { return std::clamp(a * l.x() + b * l.y() + d * l.z(), 0.f, 1.f); };
    return {row(0.367322f, 0.860646f, -0.227968f), row(0.280085f, 0.672501f, 0.047413f),
            row(-0.011820f, 0.042940f, 0.968881f)};
}

// Times a + 2, two questions; both displays follow the window.
struct Rig {
    testing::WindowRig rig;
    QTemporaryDir options;
    RoomDisplay room{rig.engine.state(), rig.form, options.filePath(QLatin1String(texts::optionsFile))};
    Access access{options.filePath(QLatin1String(texts::optionsFile))};
    explicit Rig(int answer)
    {
        rig.form.setMirror(&room);
        rig.form.setAccess(&access);
        room.setAccess(&access);
        rig.engine.addObserver(&access);
        access.setCueLength([](int) { return 1; });
        testing::control<QLineEdit>(rig.form, "Text1")->setText(QString::number(answer));
        testing::control<QLineEdit>(rig.form, "Text2")->setText(u"2"_qs);
        testing::control<QLineEdit>(rig.form, "Text3")->setText(u"2"_qs);
    }
    ~Rig() { rig.form.setMirror(nullptr); }
};
} // namespace

class TestAccess : public QObject {
    Q_OBJECT
private slots:
    void bandOnTheTickOfEachCueOnly();
    void dotsStayApartForADeuteranope();
};

void TestAccess::bandOnTheTickOfEachCueOnly()
{
    Rig r(5);
    r.access.setCuesSeen(true);
    r.rig.engine.TimeCal(); // its chime
    QCOMPARE(r.access.bandPlayer(), 4);
    QTRY_VERIFY(!r.access.band());

    // Per tick, whose cue sounds: the last three seconds of each answering
    // time, its end, the move time silent, the examination's end.
    const int cues[] = {0, 1, 1, 1, 2, 0, 0, 0, 1, 1, 1, 2, 0, 3};
    r.rig.engine.Command1_Click();
    for (std::size_t k = 0; k < std::size(cues); ++k) {
        r.rig.engine.Timer1_Timer();
        const QByteArray at = "tick " + QByteArray::number(qsizetype(k + 1));
        QVERIFY2(r.access.bandPlayer() == cues[k], at);
        for (QWidget *w : {static_cast<QWidget *>(&r.rig.form), static_cast<QWidget *>(&r.room)}) {
            const QColor edge = picture(*w).pixelColor(1, w->height() / 2);
            QVERIFY2(cues[k] ? edge == toQColor(cueColour(cues[k])) : edge == Qt::black, at + " " + w->metaObject()->className());
        }
        QTRY_VERIFY(!r.access.band()); // it lasts for its cue, then goes
    }
    QCOMPARE(r.rig.engine.runState(), RunState::Finished);
    QCOMPARE(r.access.bandsShown(), 10);
}

void TestAccess::dotsStayApartForADeuteranope()
{
    Rig r(12); // dots 1-2 green, 3-8 yellow, 9-12 red
    r.rig.engine.TimeCal();
    r.room.resize(1280, 720);
    r.rig.engine.Command1_Click();
    for (int k = 0; k < 12; ++k)
        r.rig.engine.Timer1_Timer();
    // Each dot as that eye sees it at its centre and where a ring passes.
    auto seen = [&](QWidget &w, qint32 n) {
        const ExamState &st = r.rig.engine.state();
        const geometry::Grid g = geometry::grid(float(w.width()), st.tamasu);
        const geometry::Dot d = geometry::dot(n, st.tamasu, g.sukima, g.hankei, st.fk, st.time1);
        const QImage image = picture(w);
        return std::array{deuteranope(image.pixelColor(qRound(d.x), qRound(d.y))),
                          deuteranope(image.pixelColor(qRound(d.x + 0.55f * d.radius), qRound(d.y)))};
    };
    auto apart = [](const auto &a, const auto &b) {
        return std::max(a[0].distanceToPoint(b[0]), a[1].distanceToPoint(b[1]));
    };
    const qint32 sample[] = {1, 2, 3, 8, 9, 12};
    const int state[] = {0, 0, 1, 1, 2, 2};
    for (QWidget *w : {static_cast<QWidget *>(&r.rig.form), static_cast<QWidget *>(&r.room)}) {
        const QByteArray on = w->metaObject()->className();
        r.access.setShapes(false);
        // By colour alone, green and yellow are nearly one to this eye.
        QVERIFY2(apart(seen(*w, 1), seen(*w, 3)) < 0.5f, on);
        r.access.setShapes(true);
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j) {
                const float d = apart(seen(*w, sample[i]), seen(*w, sample[j]));
                const QByteArray pair = on + " dots " + QByteArray::number(sample[i]) + "/" + QByteArray::number(sample[j]);
                QVERIFY2(state[i] == state[j] ? d < 0.1f : d > 0.5f, pair + " " + QByteArray::number(d));
            }
    }
}

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
