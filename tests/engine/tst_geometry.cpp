// Dot grid and banner geometry, checked against hand-worked layouts.

#include "geometry.h"

#include <QTest>

using namespace tavrin;
using namespace tavrin::geometry;

Q_DECLARE_METATYPE(tavrin::Colour)

namespace {
constexpr Colour G = colours::green, Y = colours::yellow, R = colours::red;
}

class TestGeometry : public QObject {
    Q_OBJECT

private slots:
    void pitchAndRadius_data()
    {
        QTest::addColumn<float>("width");
        QTest::addColumn<int>("tamasu");
        QTest::addColumn<int>("sukima");
        QTest::addColumn<int>("hankei");
        QTest::newRow("1000 / 10") << 1000.f << 10 << 100 << 40;
        QTest::newRow("1024 / 10") << 1024.f << 10 << 102 << 41;
        QTest::newRow("1000 / 7") << 1000.f << 7 << 142 << 57;
        QTest::newRow("1024 / 7") << 1024.f << 7 << 146 << 58;
        QTest::newRow("771 / 10") << 771.f << 10 << 77 << 31;
        // Radius examples: sukima given directly by a one-dot row.
        const int pitch[] = {1, 2, 3, 4, 5, 10, 66, 100, 102};
        const int radius[] = {0, 1, 1, 2, 2, 4, 26, 40, 41};
        for (int i = 0; i < 9; ++i)
            QTest::addRow("sukima %d", pitch[i]) << float(pitch[i]) << 1 << pitch[i] << radius[i];
        QTest::newRow("width 1000.5 to even") << 1000.5f << 1 << 1000 << 400;
        QTest::newRow("width 1001.5 to even") << 1001.5f << 1 << 1002 << 401;
        QTest::newRow("width 9.6 rounds up") << 9.6f << 10 << 1 << 0;
        QTest::newRow("narrow window") << 5.f << 10 << 0 << 0;
        QTest::newRow("no width") << 0.f << 10 << 0 << 0;
        QTest::newRow("pitch held at the limit") << 1.0e6f << 1 << 32767 << 13107;
        QTest::newRow("tamasu 0 divides by 1") << 1000.f << 0 << 1000 << 400;
    }
    void pitchAndRadius()
    {
        QFETCH(float, width);
        QFETCH(int, tamasu);
        QFETCH(int, sukima);
        QFETCH(int, hankei);
        const Grid g = grid(width, tamasu);
        QCOMPARE(g.sukima.value(), sukima);
        QCOMPARE(g.hankei.value(), hankei);
    }

    void dotPlace_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("tamasu");
        QTest::addColumn<int>("sukima");
        QTest::addColumn<int>("hankei");
        QTest::addColumn<float>("fk");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::newRow("1000: dot 1") << 1 << 10 << 100 << 40 << 1.0f << 50.f << 120.f;
        QTest::newRow("1000: dot 10, row end") << 10 << 10 << 100 << 40 << 1.0f << 950.f << 120.f;
        QTest::newRow("1000: dot 11, next row") << 11 << 10 << 100 << 40 << 1.0f << 50.f << 220.f;
        QTest::newRow("1000: dot 30") << 30 << 10 << 100 << 40 << 1.0f << 950.f << 320.f;
        QTest::newRow("1000: dot 31 continues") << 31 << 10 << 100 << 40 << 1.0f << 50.f << 420.f;
        QTest::newRow("fk 1.25: dot 1") << 1 << 10 << 100 << 40 << 1.25f << 50.f << 140.f;
        QTest::newRow("fk 1.25: dot 11") << 11 << 10 << 100 << 40 << 1.25f << 50.f << 240.f;
        QTest::newRow("fk 1.5: dot 1") << 1 << 10 << 100 << 40 << 1.5f << 50.f << 160.f;
        QTest::newRow("fk 1.5: dot 30") << 30 << 10 << 100 << 40 << 1.5f << 950.f << 360.f;
        QTest::newRow("1024: dot 1") << 1 << 10 << 102 << 41 << 1.0f << 51.f << 121.f;
        QTest::newRow("1024: dot 11") << 11 << 10 << 102 << 41 << 1.0f << 51.f << 223.f;
        QTest::newRow("1024: dot 30") << 30 << 10 << 102 << 41 << 1.0f << 969.f << 325.f;
        QTest::newRow("tamasu 7: dot 1") << 1 << 7 << 142 << 57 << 1.0f << 71.f << 137.f;
        QTest::newRow("tamasu 7: dot 8") << 8 << 7 << 142 << 57 << 1.0f << 71.f << 279.f;
        QTest::newRow("tamasu 7: dot 10") << 10 << 7 << 142 << 57 << 1.0f << 355.f << 279.f;
        QTest::newRow("odd pitch: half pixel") << 2 << 7 << 145 << 58 << 1.0f << 217.5f << 138.f;
        QTest::newRow("pitch 0: all at the margin") << 5 << 10 << 0 << 0 << 1.0f << 0.f << 80.f;
        QTest::newRow("dot 32767 far down") << 32767 << 1 << 100 << 40 << 1.0f << 50.f << 3276720.f;
        QTest::newRow("row product beyond 32 bits of Integer")
            << 32767 << 1 << 32767 << 13107 << 1.5f << 16383.5f << 1073656749.f;
    }
    void dotPlace()
    {
        QFETCH(int, n);
        QFETCH(int, tamasu);
        QFETCH(int, sukima);
        QFETCH(int, hankei);
        QFETCH(float, fk);
        QFETCH(float, x);
        QFETCH(float, y);
        const Dot d = dot(n, tamasu, sukima, hankei, fk, 30);
        QCOMPARE(d.x, x);
        QCOMPARE(d.y, y);
        QCOMPARE(d.radius, float(hankei));
    }

    void dotColours_data()
    {
        QTest::addColumn<int>("time1");
        QTest::addColumn<int>("n");
        QTest::addColumn<Colour>("colour");
        const struct {
            int time1, n;
            Colour c;
        } rows[] = {
            {30, 1, G}, {30, 20, G}, {30, 21, Y}, {30, 26, Y}, {30, 27, R}, {30, 30, R}, {30, 33, R},
            {31, 21, G}, {31, 22, Y}, {31, 27, Y}, {31, 28, R}, {31, 31, R},
            {40, 30, G}, {40, 31, Y}, {40, 36, Y}, {40, 37, R},
            {10, 1, Y}, {10, 6, Y}, {10, 7, R}, {10, 10, R},
            {5, 1, Y}, {5, 2, R}, {5, 5, R},
            {2, 1, R}, {1, 1, R}, {0, 1, R}, {-5, 1, R},
            {32767, 32757, G}, {32767, 32758, Y}, {32767, 32763, Y}, {32767, 32764, R},
            {-32768, 1, R}, {-32768, -32768, R},
        };
        for (const auto &r : rows)
            QTest::addRow("time1 %d, dot %d", r.time1, r.n) << r.time1 << r.n << r.c;
    }
    void dotColours()
    {
        QFETCH(int, time1);
        QFETCH(int, n);
        QFETCH(Colour, colour);
        QCOMPARE(dotColour(n, time1), colour);
        if (n >= 1)
            QCOMPARE(dot(n, 10, 100, 40, 1.0f, time1).colour, colour);
    }

    void bannerFont_data()
    {
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("fk");
        QTest::addColumn<float>("size");
        QTest::newRow("1000, 1.0") << 1000.f << 1.0f << 66.f;
        QTest::newRow("1000, 1.25 as 1.0") << 1000.f << 1.25f << 66.f;
        QTest::newRow("1000, 1.5 halves") << 1000.f << 1.5f << 33.f;
        QTest::newRow("1024, 1.0") << 1024.f << 1.0f << 68.f;
        QTest::newRow("1024, 1.5") << 1024.f << 1.5f << 34.f;
        QTest::newRow("771, 1.5 truncates") << 771.f << 1.5f << 25.f;
        QTest::newRow("1019.5 to even 1020") << 1019.5f << 1.0f << 68.f;
        QTest::newRow("15 px") << 15.f << 1.0f << 1.f;
        QTest::newRow("14 px: no banner") << 14.f << 1.0f << 0.f;
        QTest::newRow("29 px, 1.5: no banner") << 29.f << 1.5f << 0.f;
        QTest::newRow("30 px, 1.5") << 30.f << 1.5f << 1.f;
        QTest::newRow("no factor yet") << 1000.f << 0.0f << 0.f;
        QTest::newRow("factor 0.5 rounds to 0") << 1000.f << 0.5f << 0.f;
        QTest::newRow("factor 2.5 to even 2") << 1000.f << 2.5f << 33.f;
    }
    void bannerFont()
    {
        QFETCH(float, width);
        QFETCH(float, fk);
        QFETCH(float, size);
        QCOMPARE(bannerFontSize(width, fk), size);
    }

    // The whole layout of one banner, chained as the window does it, with the
    // label reporting back what it was given.
    void bannerLayout_data()
    {
        QTest::addColumn<float>("W");
        QTest::addColumn<int>("tamasu");
        QTest::addColumn<int>("time1");
        QTest::addColumn<float>("fk");
        QTest::addColumn<int>("length");
        QTest::addColumn<float>("size");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::addColumn<float>("top");
        QTest::addColumn<float>("left");
        QTest::newRow("1000, move") << 1000.f << 10 << 30 << 1.0f << 8 << 66.f << 739.2f << 92.4f << 420.f << 130.4f;
        QTest::newRow("1000, end") << 1000.f << 10 << 30 << 1.0f << 4 << 66.f << 369.6f << 92.4f << 420.f << 315.2f;
        QTest::newRow("1000, 1.5") << 1000.f << 10 << 30 << 1.5f << 8 << 33.f << 554.4f << 69.3f << 480.f << 222.8f;
        QTest::newRow("1000, 1.25") << 1000.f << 10 << 30 << 1.25f << 8 << 66.f << 924.f << 115.5f << 450.f << 38.f;
        QTest::newRow("1024") << 1024.f << 10 << 30 << 1.0f << 8 << 68.f << 761.6f << 95.2f << 426.f << 131.2f;
        QTest::newRow("time1 31: four rows") << 1000.f << 10 << 31 << 1.0f << 8 << 66.f << 739.2f << 92.4f << 520.f << 130.4f;
        QTest::newRow("time1 31, 1.5") << 1000.f << 10 << 31 << 1.5f << 8 << 33.f << 554.4f << 69.3f << 580.f << 222.8f;
        QTest::newRow("time1 40: still four") << 1000.f << 10 << 40 << 1.0f << 8 << 66.f << 739.2f << 92.4f << 520.f << 130.4f;
        QTest::newRow("time1 0: no rows") << 1000.f << 10 << 0 << 1.0f << 8 << 66.f << 739.2f << 92.4f << 120.f << 130.4f;
        QTest::newRow("time1 0, 1.5") << 1000.f << 10 << 0 << 1.5f << 8 << 33.f << 554.4f << 69.3f << 180.f << 222.8f;
        QTest::newRow("tamasu 7") << 1000.f << 7 << 30 << 1.0f << 8 << 66.f << 739.2f << 92.4f << 830.f << 130.4f;
        QTest::newRow("empty text") << 1000.f << 10 << 30 << 1.0f << 0 << 66.f << 0.f << 92.4f << 420.f << 500.f;
        QTest::newRow("wider than the window") << 100.f << 10 << 30 << 1.0f << 40 << 6.f << 336.f << 8.4f << 150.f << -118.f;
        QTest::newRow("half pixel width kept") << 1000.5f << 10 << 30 << 1.0f << 0 << 66.f << 0.f << 92.4f << 420.f << 500.25f;
        QTest::newRow("negative time1 truncates toward zero")
            << 1000.f << 10 << -20 << 1.0f << 8 << 66.f << 739.2f << 92.4f << 20.f << 130.4f;
        QTest::newRow("long answering time widens")
            << 1000.f << 10 << 32767 << 1.0f << 8 << 66.f << 739.2f << 92.4f << 327820.f << 130.4f;
    }
    void bannerLayout()
    {
        QFETCH(float, W);
        QFETCH(int, tamasu);
        QFETCH(int, time1);
        QFETCH(float, fk);
        QFETCH(int, length);
        QFETCH(float, size);
        QFETCH(float, width);
        QFETCH(float, height);
        QFETCH(float, top);
        QFETCH(float, left);
        const Grid g = grid(W, tamasu);
        const float s = bannerFontSize(W, fk);
        QCOMPARE(s, size);
        const float b = bannerWidth(length, s, fk);
        QCOMPARE(b, width);
        QCOMPARE(bannerHeight(s, fk), height);
        QCOMPARE(bannerTop(tamasu, time1, g.sukima, fk), top);
        QCOMPARE(bannerLeft(W, b), left);
    }
};

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
