#pragma once

#include "colour.h"
#include "ports.h"

#include <QString>
#include <QtGlobal>

namespace tavrin {

// A second picture of the run: told of everything the main window shows the
// room (question number, banners, dots, clearing) as the main window is told
// of it, so that both change in the same handler. It is given dot numbers, not
// pixels: it lays the dots out for its own width.
class DisplayMirror {
public:
    virtual ~DisplayMirror() = default;
    virtual void mirrorQuestion(const QString &caption) = 0;
    virtual void mirrorBannerCaption(Banner b, const QString &caption) = 0;
    virtual void mirrorBannerVisible(Banner b, bool visible) = 0;
    // The drawing was cleared; every layout (resize, font factor, new times,
    // a run taken over) passes through here before its dots are drawn again.
    virtual void mirrorClear() = 0;
    virtual void mirrorDot(qint32 n, Colour colour) = 0;
};

} // namespace tavrin
