#include "resume_question.h"

#include "texts.h"

#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace tavrin {

namespace {
using texts::str;

QString when(qint64 wallMs)
{
    return QDateTime::fromMSecsSinceEpoch(wallMs).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

// The second the window shows: t is the one the next tick will show.
QString where(const RunSnapshot &s)
{
    const int shown = s.t.value() - 1;
    if (shown < 1)
        return str(texts::resumeWhereBefore).arg(s.ck.value());
    if (shown <= s.time1.value())
        return str(texts::resumeWhereAnswering).arg(s.ck.value()).arg(shown);
    return str(texts::resumeWhereMoving).arg(s.ck.value()).arg(shown - s.time1.value());
}
} // namespace

QString resumeText(const InterruptedRun &run, qint64 nowWallMs)
{
    const ResumePlan plan = planResume(run, nowWallMs);
    const RunSnapshot &s = run.last;
    QStringList lines;
    lines << str(texts::resumeHead).arg(run.closedByWindow ? str(texts::resumeByClose) : QString()) << QString();
    lines << str(texts::resumeTimes).arg(s.time1.value()).arg(s.time2.value()).arg(s.cycle.value());
    lines << str(s.state() == RunState::Paused ? texts::resumeLastPaused : texts::resumeLastRunning).arg(where(s));
    lines << str(texts::resumeStopped).arg(when(run.markWallMs));
    if (plan.endWallMs)
        lines << str(texts::resumeNowEnded).arg(when(*plan.endWallMs));
    else if (s.state() == RunState::Running)
        lines << str(texts::resumeNowRunning).arg(where(plan.now));
    return lines.join(u'\n');
}

ResumeChoice askToResume(QWidget *parent, const InterruptedRun &run)
{
    QMessageBox box(QMessageBox::Question, str(texts::resumeTitle),
                    resumeText(run, QDateTime::currentMSecsSinceEpoch()), QMessageBox::NoButton, parent);
    const bool paused = run.last.state() == RunState::Paused;
    const bool ended = planResume(run, QDateTime::currentMSecsSinceEpoch()).endWallMs.has_value();
    QPushButton *first = box.addButton(str(ended ? texts::resumeShowEnd
                                           : paused ? texts::resumeStillPaused
                                                    : texts::resumeFromNow),
                                       QMessageBox::AcceptRole);
    QPushButton *pausedButton =
        ended || paused ? nullptr : box.addButton(str(texts::resumePaused), QMessageBox::AcceptRole);
    // No rejecting button: neither Esc nor the title bar may throw away an
    // examination by accident, so the question waits for a choice.
    box.addButton(str(ended ? texts::resumeAfresh : texts::resumeNot), QMessageBox::AcceptRole);
    box.setDefaultButton(first);

    QTimer follow;
    QObject::connect(&follow, &QTimer::timeout, &box,
                     [&box, &run] { box.setText(resumeText(run, QDateTime::currentMSecsSinceEpoch())); });
    follow.start(250);
    box.exec();

    const QAbstractButton *clicked = box.clickedButton();
    if (clicked == first)
        return ResumeChoice::FromNow;
    if (pausedButton && clicked == pausedButton)
        return ResumeChoice::PausedWhereStopped;
    // Only the end of the program closes the question without an answer.
    return clicked ? ResumeChoice::Abandon : ResumeChoice::Undecided;
}

} // namespace tavrin
