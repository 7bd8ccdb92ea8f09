// Times a full redraw (Form_Resize) of 100, 1 000 and 32 767 dots and one
// tick's dot with the paint it causes, on a 1920-pixel-wide window.
#include "bench_support.h"
#include "engine.h"
#include "form1.h"
#include "geometry.h"
#include "window_rig.h"

#include <QApplication>
#include <QElapsedTimer>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tavrin::testing::WindowRig rig(QSize(1920, 1080));
    tavrin::Form1 &form = rig.form;
    tavrin::Engine &engine = rig.engine;
    QApplication::processEvents();
    auto &st = engine.state();

    // A redraw with its paint, as after a resize or an accepted time entry.
    for (int dots : {100, 1000, 32767}) {
        st.time1 = 32767;
        st.time2 = 0;
        st.t = dots;
        std::vector<double> ms;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer clock;
            clock.start();
            engine.Form_Resize();
            form.repaint();
            ms.push_back(clock.nsecsElapsed() / 1e6);
        }
        const QByteArray name = "redraw." + QByteArray::number(dots) + "_median";
        bench::figure(name.constData(), bench::median(ms), "ms");
    }

    // A tick's dot: drawn, then only its own square painted, whatever t is.
    std::vector<double> tick;
    // A dot far below the screen must cost nothing to paint.
    std::vector<double> offscreen;
    for (int t : {500, 5000, 30000}) {
        st.t = t;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer clock;
            clock.start();
            engine.DrawCircle();
            QApplication::processEvents();
            offscreen.push_back(clock.nsecsElapsed() / 1e6);
        }
    }
    bench::figure("tick_paint.offscreen_max", bench::maximum(offscreen), "ms");
    for (int t : {1, 2, 5, 9, 10, 11, 15, 20, 30, 40}) { // dots on the screen
        st.t = t;
        engine.Form_Resize();
        form.repaint();
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer clock;
            clock.start();
            engine.DrawCircle();
            // Paint now exactly the square the dot marked dirty, rather than
            // waiting for the platform's next frame.
            const tavrin::geometry::Dot c =
                tavrin::geometry::dot(t, st.tamasu, st.sukima, st.hankei, st.fk, st.time1);
            const float r = c.radius + 2.0f;
            form.repaint(QRectF(c.x - r, c.y - r, 2 * r, 2 * r).toAlignedRect().intersected(form.rect()));
            tick.push_back(clock.nsecsElapsed() / 1e6);
        }
    }
    bench::figure("tick_paint.median", bench::median(tick), "ms");
    bench::figure("tick_paint.max", bench::maximum(tick), "ms");
    return 0;
}
