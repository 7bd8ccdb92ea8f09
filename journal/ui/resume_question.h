#pragma once

#include "journal.h"
#include "resume.h"

class QWidget;

namespace tavrin {

// What the operator is told of an interrupted run at the moment nowWallMs:
// its times, where and when it stopped, and where it would stand now.
QString resumeText(const InterruptedRun &run, qint64 nowWallMs);

// Asks the operator, in a modal question that follows the clock while it is
// open, whether and how to carry on an interrupted run. The first choice
// (Enter) is the one a room that went on needs: the examination as it stands
// now (for a paused run: still paused; for one that has ended: its end).
ResumeChoice askToResume(QWidget *parent, const InterruptedRun &run);

} // namespace tavrin
