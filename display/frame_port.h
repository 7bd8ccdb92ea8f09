#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QWidget;

namespace tavrin {

// What the parts that live beside the main window (the journal's record and
// question, the rooms) may do with it, and nothing more: the window lays
// itself out and decides how each of these looks.
class FramePort {
public:
    virtual ~FramePort() = default;

    // An entry of the window's right-click menu, with its key when it has
    // one; the caller connects what it does. Owned by the window.
    virtual QAction *addMenuAction(const QString &text, const QKeySequence &key = {}) = 0;
    // A message to the operator that does not hold up the clock.
    virtual void notify(const QString &text) = 0;
    // One line under the control strip, outside the candidates' part of the
    // window; alarm shows it in the colour of a fault. Empty hides it.
    virtual void setStatusLine(const QString &text, bool alarm) = 0;
    // Words after the program's name in the title bar; empty for none.
    virtual void setTitleSuffix(const QString &suffix) = 0;
    // Start, pause, exit, the four boxes and the font factor list neither
    // act nor look as if they would (a room follows another Tavrin).
    virtual void setInputsLocked(bool locked) = 0;
    // The window that the parts' dialogs belong to.
    virtual QWidget *dialogParent() = 0;
};

} // namespace tavrin
