#include "speaker_delay.h"

#include "frame_port.h"
#include "options_file.h"
#include "phase_timer.h"
#include "sound_bank.h"
#include "texts.h"

#include <QAction>
#include <QInputDialog>
#include <QSettings>

namespace tavrin {

using texts::str;

namespace {
const QString kGroup = QStringLiteral("sound");
const QString kDelay = QStringLiteral("speakerDelayMs");
constexpr int kMax = SoundBank::maxSpeakerDelayMs;
} // namespace

std::optional<int> parseSpeakerDelay(const QString &text)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok || v < -kMax || v > kMax)
        return std::nullopt;
    return int(v);
}

SpeakerDelay::SpeakerDelay(SoundBank &bank, PhaseTimer &clock, FramePort &frame, QString optionsFile,
                           QObject *parent)
    : QObject(parent), bank_(bank), clock_(clock), frame_(frame), optionsFile_(std::move(optionsFile))
{
    connect(&bank_, &SoundBank::speakerChanged, this, [this] { clock_.setLeadMs(bank_.leadMs()); });
}

void SpeakerDelay::load()
{
    QSettings options(optionsFile_, QSettings::IniFormat);
    options.beginGroup(kGroup);
    if (!options.contains(kDelay))
        return;
    const QString text = options.value(kDelay).toString();
    if (const std::optional<int> ms = parseSpeakerDelay(text))
        bank_.setSpeakerDelayMs(*ms);
    else
        frame_.notify(str(texts::speakerFileOutOfRange).arg(text.left(20)).arg(-kMax).arg(kMax));
}

void SpeakerDelay::addActionTo(FramePort &frame)
{
    connect(frame.addMenuAction(str(texts::speakerAction), QKeySequence(Qt::Key_F12)), &QAction::triggered, this,
            &SpeakerDelay::ask);
}

QString SpeakerDelay::describeOutput() const
{
    const SinkReport &s = bank_.sink();
    if (!s.known)
        return str(texts::speakerOutputUnknown);
    const QString risk = s.risk == SinkReport::Risk::Bluetooth ? str(texts::speakerRisk).arg(str(texts::speakerRiskBluetooth))
                         : s.risk == SinkReport::Risk::Network ? str(texts::speakerRisk).arg(str(texts::speakerRiskNetwork))
                                                               : QString();
    return str(texts::speakerOutput).arg(s.name.left(60)).arg(s.plays ? s.latencyUs / 1000.0 : 0.0, 0, 'f', 1).arg(risk);
}

QString SpeakerDelay::set(const QString &text)
{
    const std::optional<int> ms = parseSpeakerDelay(text);
    if (!ms)
        return str(texts::speakerOutOfRange).arg(text.trimmed().left(20)).arg(-kMax).arg(kMax).arg(bank_.speakerDelayMs());
    bank_.setSpeakerDelayMs(*ms);
    writeOptionsLater(optionsFile_, kGroup, {{kDelay, *ms}}, this, [this](const QString &notice) {
        if (!notice.isEmpty())
            frame_.notify(notice + u'\n' + str(texts::optionsKeptForNow));
    });
    return {};
}

void SpeakerDelay::ask()
{
    bool ok = false;
    const QString text = QInputDialog::getText(
        frame_.dialogParent(), str(texts::speakerTitle), str(texts::speakerPrompt).arg(-kMax).arg(kMax).arg(describeOutput()),
        QLineEdit::Normal, QString::number(bank_.speakerDelayMs()), &ok);
    if (!ok)
        return;
    if (const QString why = set(text); !why.isEmpty())
        frame_.notify(why);
    else
        frame_.notify(str(texts::speakerSet).arg(bank_.speakerDelayMs()));
}

} // namespace tavrin
