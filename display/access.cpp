#include "access.h"

#include "frame_port.h"
#include "options_file.h"
#include "texts.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QEvent>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTextDocumentFragment>
#include <QPainter>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tavrin {

using texts::str;

namespace {
const QString kAccessGroup = QStringLiteral("access");
const QString kShapes = QStringLiteral("shapes");
const QString kCuesSeen = QStringLiteral("cuesSeen");

bool readFlag(const QSettings &s, const QString &key)
{
    // Only "true" turns an option on: anything else in the file leaves it off.
    return s.value(key).toString().trimmed().compare(u"true", Qt::CaseInsensitive) == 0;
}
} // namespace

Access::Access(const QString &optionsPath, QObject *parent) : QObject(parent), optionsPath_(optionsPath)
{
    waitForOptionWrites();
    QSettings s(optionsPath_, QSettings::IniFormat);
    s.beginGroup(kAccessGroup);
    shapes_ = readFlag(s, kShapes);
    cuesSeen_ = readFlag(s, kCuesSeen);

    showTimer_.setSingleShot(true);
    showTimer_.setTimerType(Qt::PreciseTimer);
    connect(&showTimer_, &QTimer::timeout, this, &Access::showBand);
    hideTimer_.setSingleShot(true);
    hideTimer_.setTimerType(Qt::PreciseTimer);
    connect(&hideTimer_, &QTimer::timeout, this, &Access::hideBand);
}

void Access::setShapes(bool on)
{
    if (on == shapes_)
        return;
    shapes_ = on;
    save();
    emit shapesChanged(on);
}

void Access::setCuesSeen(bool on)
{
    if (on == cuesSeen_)
        return;
    cuesSeen_ = on;
    if (!on) {
        showTimer_.stop();
        waiting_ = 0;
        hideBand();
    }
    save();
    emit cuesSeenChanged(on);
}

void Access::save()
{
    writeOptionsLater(optionsPath_, kAccessGroup, {{kShapes, shapes_}, {kCuesSeen, cuesSeen_}}, this,
                      [this](const QString &notice) {
                          if (!notice.isEmpty() && frame_)
                              frame_->notify(notice + u'\n' + str(texts::optionsKeptForNow));
                      });
}

void Access::addActionsTo(FramePort &frame)
{
    frame_ = &frame;
    auto add = [&](const char *text, Qt::Key key, bool on, void (Access::*set)(bool),
                   void (Access::*changed)(bool)) {
        QAction *a = frame.addMenuAction(str(text), QKeySequence(Qt::SHIFT | key));
        a->setCheckable(true);
        a->setChecked(on);
        connect(a, &QAction::toggled, this, set);
        connect(this, changed, a, &QAction::setChecked);
    };
    add(texts::accessShapesAction, Qt::Key_F5, shapes_, &Access::setShapes, &Access::shapesChanged);
    add(texts::accessCuesAction, Qt::Key_F6, cuesSeen_, &Access::setCuesSeen, &Access::cuesSeenChanged);
}

void Access::runEvent(const RunEvent &event, const ExamState &)
{
    if (event.kind != RunEventKind::Cue || !cuesSeen_ || event.player < 1 || event.player > 4)
        return;
    // Asked for on this tick; it stands from when the cue is heard.
    waiting_ = event.player;
    const qint64 onset = onset_ ? onset_() : 0;
    const qint64 now = now_ ? now_() : QDateTime::currentMSecsSinceEpoch();
    if (onset > now)
        showTimer_.start(int(std::min<qint64>(onset - now, kMaxBandMs)));
    else if (startWaitMs_ > 0)
        showTimer_.start(startWaitMs_); // until the output says when it starts
    else
        showBand();
}

void Access::cueStarted(int player, qint64 wallMs)
{
    if (player != waiting_ || !showTimer_.isActive())
        return;
    const qint64 now = now_ ? now_() : QDateTime::currentMSecsSinceEpoch();
    if (wallMs <= now)
        showBand();
    else
        showTimer_.start(int(std::min<qint64>(wallMs - now, kMaxBandMs)));
}

void Access::showBand()
{
    showTimer_.stop();
    if (waiting_ == 0)
        return;
    bandPlayer_ = waiting_;
    waiting_ = 0;
    band_ = cueColour(bandPlayer_);
    ++shown_;
    const int length = length_ ? length_(bandPlayer_) : kDefaultCueMs;
    hideTimer_.start(std::clamp(length, 1, kMaxBandMs));
    emit bandChanged();
}

void Access::hideBand()
{
    hideTimer_.stop();
    if (!band_)
        return;
    band_.reset();
    bandPlayer_ = 0;
    emit bandChanged();
}

namespace {
QString plain(const QString &text)
{
    return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

// The label that stands for an input: its buddy, or its row's in a form.
QString labelFor(QWidget *input, QDialog *dialog)
{
    for (QLabel *l : dialog->findChildren<QLabel *>())
        if (l->buddy() == input)
            return plain(l->text()).remove(u'&');
    for (QFormLayout *form : dialog->findChildren<QFormLayout *>())
        if (auto *l = qobject_cast<QLabel *>(form->labelForField(input)))
            return plain(l->text()).remove(u'&');
    if (auto *ask = qobject_cast<QInputDialog *>(dialog))
        return plain(ask->labelText());
    return {};
}
} // namespace

bool DialogNames::eventFilter(QObject *watched, QEvent *event)
{
    auto *dialog = event->type() == QEvent::Show ? qobject_cast<QDialog *>(watched) : nullptr;
    if (!dialog)
        return false;
    if (dialog->accessibleName().isEmpty())
        dialog->setAccessibleName(dialog->windowTitle());
    if (dialog->accessibleDescription().isEmpty()) {
        QString what;
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            what = plain(box->text());
        else if (auto *ask = qobject_cast<QInputDialog *>(dialog))
            what = plain(ask->labelText());
        else if (QLabel *first = dialog->findChild<QLabel *>(); first && !first->text().isEmpty())
            what = plain(first->text());
        dialog->setAccessibleDescription(what.isEmpty() ? str(texts::a11yDialogDesc).arg(dialog->windowTitle()) : what);
    }
    for (QWidget *w : dialog->findChildren<QWidget *>()) {
        const bool input = qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) ||
                           qobject_cast<QAbstractSpinBox *>(w);
        // A spin box's or combo box's own line edit is read with its owner.
        if (!input || !w->accessibleName().isEmpty() || qobject_cast<QAbstractSpinBox *>(w->parentWidget()) ||
            qobject_cast<QComboBox *>(w->parentWidget()))
            continue;
        const QString name = labelFor(w, dialog);
        w->setAccessibleName(name.isEmpty() ? dialog->windowTitle() : name);
    }
    return false;
}

Colour cueColour(int player)
{
    switch (player) {
    case 1: return colours::yellow;
    case 2: return colours::green;
    case 3: return colours::red;
    default: return colours::white;
    }
}

std::array<QRect, 4> bandRects(QSize size)
{
    const int w = size.width(), h = size.height();
    // Wide enough to be seen from the back of a room, never over a third.
    const int t = std::clamp(std::min(w, h) / 40, 1, std::max(1, std::min(w, h) / 3));
    return {QRect(0, 0, w, t), QRect(0, h - t, w, t), QRect(0, t, t, h - 2 * t), QRect(w - t, t, t, h - 2 * t)};
}

void paintDotMark(QPainter &p, QPointF centre, float radius, Colour colour)
{
    const bool ring = colour == colours::yellow;
    if (!ring && colour != colours::red)
        return;
    const double r = std::fabs(double(radius));
    if (r < 2)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, std::max(1.0, r * 0.2), Qt::SolidLine, Qt::FlatCap));
    if (ring) {
        p.drawEllipse(centre, r * 0.55, r * 0.55);
    } else {
        const double a = r * 0.5;
        p.drawLine(centre + QPointF(-a, -a), centre + QPointF(a, a));
        p.drawLine(centre + QPointF(-a, a), centre + QPointF(a, -a));
    }
    p.restore();
}

} // namespace tavrin
