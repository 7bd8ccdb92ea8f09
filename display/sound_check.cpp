#include "sound_check.h"

#include <QDateTime>

#include "engine.h"
#include "form1.h"
#include "sound_bank.h"
#include "texts.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tavrin {

namespace {

using texts::str;

const char *const kRoles[4] = {texts::soundRole1, texts::soundRole2, texts::soundRole3, texts::soundRole4};

} // namespace

SoundCheck::SoundCheck(SoundBank &bank, const Engine &engine, Form1 &window)
    : QDialog(&window), bank_(bank), engine_(engine)
{
    setWindowTitle(str(texts::soundCheck));
    // The operator cannot start a run from the main window while it plays.
    setWindowModality(Qt::WindowModal);

    auto *grid = new QGridLayout(this);
    // The window grows with what it has to say (a long file name).
    grid->setSizeConstraint(QLayout::SetFixedSize);
    auto *intro = new QLabel(str(texts::soundCheckIntro), this);
    grid->addWidget(intro, 0, 0, 1, 2);
    for (int n = 1; n <= 4; ++n) {
        auto *role = new QLabel(str(kRoles[n - 1]), this);
        QFont bold = role->font();
        bold.setBold(true);
        role->setFont(bold);
        auto *outcome = new QLabel(this);
        outcome->setObjectName(QStringLiteral("outcome%1").arg(n));
        outcome->setTextFormat(Qt::PlainText);
        outcome->setMinimumWidth(420);
        outcomes_[static_cast<std::size_t>(n - 1)] = outcome;
        grid->addWidget(role, n, 0, Qt::AlignTop);
        grid->addWidget(outcome, n, 1, Qt::AlignTop);
    }
    auto *buttons = new QDialogButtonBox(this);
    again_ = buttons->addButton(str(texts::soundCheckAgain), QDialogButtonBox::ActionRole);
    buttons->addButton(str(texts::soundCheckClose), QDialogButtonBox::RejectRole);
    grid->addWidget(buttons, 5, 0, 1, 2);
    connect(again_, &QPushButton::clicked, this, &SoundCheck::start);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Closed midway: the cue that sounds plays out, and nothing follows.
    connect(this, &QDialog::rejected, this, [this] {
        if (playing())
            stop({});
    });

    limit_.setSingleShot(true);
    limit_.setInterval(cueLimitMs);
    connect(&limit_, &QTimer::timeout, this, [this] {
        // Cut short and rewound, as a completion would have left it.
        bank_.command(current_, PlayerCommand::Stop);
        bank_.command(current_, PlayerCommand::Prev);
        heard(current_);
    });
    pause_.setSingleShot(true);
    pause_.setInterval(pauseMs);
    connect(&pause_, &QTimer::timeout, this, &SoundCheck::playNext);
    connect(&bank_, &SoundBank::done, this, [this](int n) {
        if (waiting_ && n == current_)
            heard(n);
    });
}

bool SoundCheck::allowed() const
{
    return engine_.runState() == RunState::Idle;
}

void SoundCheck::addActionTo(QWidget &window)
{
    action_ = new QAction(str(texts::soundCheck), &window);
    action_->setShortcut(QKeySequence(Qt::Key_F6));
    action_->setEnabled(allowed());
    connect(action_, &QAction::triggered, this, &SoundCheck::start);
    window.addAction(action_);
}

void SoundCheck::runEvent(const RunEvent &, const ExamState &)
{
    const bool idle = allowed();
    if (action_)
        action_->setEnabled(idle);
    again_->setEnabled(idle && !playing());
    if (!idle && playing())
        stop(str(texts::soundCheckStopped));
}

void SoundCheck::start()
{
    if (!allowed() || playing())
        return;
    for (int n = 1; n <= 4; ++n)
        setOutcome(n, str(texts::soundCheckWaiting));
    again_->setEnabled(false);
    played_.fill(CueSource::NotOpen);
    show();
    raise();
    activateWindow();
    current_ = 0;
    playNext();
}

void SoundCheck::playNext()
{
    ++current_;
    if (current_ > 4) {
        current_ = 0;
        again_->setEnabled(allowed());
        lastCheckMs_ = QDateTime::currentMSecsSinceEpoch();
        emit checked();
        return;
    }
    if (!allowed()) {
        stop(str(texts::soundCheckStopped));
        return;
    }
    setOutcome(current_, str(texts::soundCheckPlaying));
    bank_.command(current_, PlayerCommand::Play);
    const CueSource source = bank_.cueStatus(current_).source;
    if (source == CueSource::Silent || source == CueSource::NotOpen) {
        // Nothing sounds, so no completion will come.
        heard(current_);
        return;
    }
    waiting_ = true;
    limit_.start();
}

void SoundCheck::heard(int player)
{
    waiting_ = false;
    limit_.stop();
    played_[static_cast<std::size_t>(player - 1)] = bank_.cueStatus(player).source;
    setOutcome(player, describeStatus(player));
    pause_.start();
}

void SoundCheck::stop(const QString &why)
{
    waiting_ = false;
    limit_.stop();
    pause_.stop();
    if (!why.isEmpty())
        for (int n = std::max(current_, 1); n <= 4; ++n)
            setOutcome(n, why);
    current_ = 0;
    again_->setEnabled(allowed());
    lastCheckMs_ = QDateTime::currentMSecsSinceEpoch();
    emit checked();
}

QString SoundCheck::outcome(int player) const
{
    if (player < 1 || player > 4)
        return {};
    return outcomes_[static_cast<std::size_t>(player - 1)]->text();
}

void SoundCheck::setOutcome(int player, const QString &text)
{
    outcomes_[static_cast<std::size_t>(player - 1)]->setText(text);
}

QString SoundCheck::describeStatus(int player) const
{
    const CueStatus s = bank_.cueStatus(player);
    const QString file = s.file.isEmpty() ? str(texts::soundNoName) : QDir::toNativeSeparators(s.file);
    switch (s.source) {
    case CueSource::OwnFile: return str(texts::soundCheckOwnFile).arg(file);
    case CueSource::BuiltIn: return str(texts::soundCheckBuiltIn).arg(file, s.reason);
    case CueSource::Silent: return str(texts::soundCheckSilent).arg(s.reason);
    case CueSource::NotOpen: break;
    }
    return str(texts::soundCheckNotOpen);
}

} // namespace tavrin
