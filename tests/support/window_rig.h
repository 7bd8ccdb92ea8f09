#pragma once

// The real window and engine, started as the program starts them, with
// players that stay silent: for tests and benchmarks about the window.

#include "engine.h"
#include "form1.h"
#include "geometry.h"
#include "phase_timer.h"
#include "silent_ports.h"

#include <QSize>
#include <QtWidgets/qtestsupport_widgets.h>
#include <QTemporaryDir>

namespace tavrin::testing {

// A control of the window by the name the program gives it ("Command1",
// "Label14", "Text1"): the window keeps its controls to itself.
template <class T = QWidget>
T *control(const QWidget &form, const char *name)
{
    T *w = form.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("the window has no control %s", name);
    return w;
}

// Where dot n stands on a surface of the given width, by the layout rules.
inline QPoint dotAt(const ExamState &st, int width, qint32 n)
{
    const geometry::Grid g = geometry::grid(float(width), st.tamasu);
    const geometry::Dot d = geometry::dot(n, st.tamasu, g.sukima, g.hankei, st.fk, st.time1);
    return QPoint(qRound(d.x), qRound(d.y));
}

// Start-up has run (from an empty folder: the defaults) and the window is
// shown, at the given size when one is given, and exposed.
struct WindowRig {
    explicit WindowRig(QSize size = {}) { load(size); }
    // Started later, by load(): parts that must exist first are built meanwhile.
    struct Later {};
    explicit WindowRig(Later) {}
    void load(QSize size = {})
    {
        form.attach(&engine, &clock);
        engine.Form_Load(dir.path(), dir.path());
        if (size.isValid())
            form.resize(size);
        form.show();
        (void)QTest::qWaitForWindowExposed(&form);
    }
    QTemporaryDir dir;
    PhaseTimer clock; // owned here, as the program's session owns it
    Form1 form;
    SilentPlayers players;
    Engine engine{form, players};
};

} // namespace tavrin::testing
