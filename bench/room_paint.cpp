// Times one tick's dot with the room display open: the dot drawn, and its
// square painted on the main window and on a 1920-pixel room display.
#include "bench_support.h"
#include "engine.h"
#include "form1.h"
#include "geometry.h"
#include "room_display.h"
#include "texts.h"
#include "window_rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tavrin::testing::WindowRig rig;
    tavrin::Form1 &form = rig.form;
    tavrin::Engine &engine = rig.engine;
    QTemporaryDir options;
    tavrin::RoomDisplay room(engine.state(), form, options.filePath(QLatin1String(tavrin::texts::optionsFile)));
    form.setMirror(&room);
    room.setSecondsLeftShown(true);
    // Not full screen: the offscreen platform's one screen is smaller.
    room.resize(1920, 1080);
    room.show();
    QApplication::processEvents();
    auto &st = engine.state();
    st.sw = 1;
    st.ck = 1;

    auto box = [&st](int width, qint32 n) {
        const auto g = tavrin::geometry::grid(float(width), st.tamasu);
        const auto d = tavrin::geometry::dot(n, st.tamasu, g.sukima, g.hankei, st.fk, st.time1);
        const float r = d.radius + 2.0f;
        return QRectF(d.x - r, d.y - r, 2 * r, 2 * r).toAlignedRect();
    };
    std::vector<double> both;
    for (int t : {1, 2, 5, 9, 10, 11, 15, 20, 25, 30}) {
        st.t = t;
        engine.Form_Resize();
        form.repaint();
        room.repaint();
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer clock;
            clock.start();
            engine.DrawCircle();
            // Paint now exactly what the dot marked dirty in each window,
            // rather than waiting for the platform's next frame.
            form.repaint(box(form.width(), t).intersected(form.rect()));
            room.repaint(box(room.width(), t).intersected(room.rect()));
            room.repaint(form.look(tavrin::Form1::Caption::Suffix).box.adjusted(0, 0, 1000, 0)); // the seconds left
            both.push_back(clock.nsecsElapsed() / 1e6);
        }
    }
    form.setMirror(nullptr);
    bench::figure("room_tick_paint.median", bench::median(both), "ms");
    bench::figure("room_tick_paint.max", bench::maximum(both), "ms");
    return 0;
}
