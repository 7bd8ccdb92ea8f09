#include "engine.h"

#include "geometry.h"
#include "numbers.h"
#include "language.h"
#include "texts.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace tavrin {

namespace {
using texts::str;

// Computes (time1 + time2) * cycle with the sum checked before the product.
Integer total(Integer time1, Integer time2, Integer cycle)
{
    const Integer sum = time1 + time2;
    return sum * cycle;
}
} // namespace

Engine::Engine(WindowPort &window, CuePlayers &players) : w_(window), mm_(players) {}

// ---- Start-up -------------------------------------------------------------

void Engine::Form_Load(const QString &exeDir, const QString &workDir)
{
    workDir_ = workDir;

    // 1. The help file lies beside the executable.
    helpFile_ = exeDir;
    if (!helpFile_.endsWith(u'/'))
        helpFile_ += u'/';
    helpFile_ += language::helpFileName();
    w_.setHelpFile(helpFile_);

    // 2. Everything computed from here on is in pixels.
    w_.setPixelScale();

    // 3. Settings, or their defaults.
    SettingsLoadReport loadReport = loadSettings(st_, workDir_);
    backupBeforeSave_ = loadReport.present && !loadReport.complete;

    // 4. Font factor.
    w_.setComboIndex(st_.fkc.value());
    Combo1_Click();

    // 5. Time boxes.
    auto fillBoxes = [this] {
        w_.setText(TextBox::Text1, st_.time1.toString());
        w_.setText(TextBox::Text2, st_.time2.toString());
        w_.setText(TextBox::Text3, st_.cycle.toString());
    };
    fillBoxes();

    // 6. Input method off in the three entry boxes: full-width digits typed
    //    through it would silently read as 0.
    w_.setImeMode(TextBox::Text1, 3);
    w_.setImeMode(TextBox::Text2, 3);
    w_.setImeMode(TextBox::Text3, 3);

    // 7. The chime's name is fixed.
    st_.c[4] = QLatin1String(texts::chimeCue);

    // 8. Total. Times from the file whose total does not fit are refused as a
    //    whole, so that the clock never works with a total it cannot show.
    try {
        st_.timesum = total(st_.time1, st_.time2, st_.cycle);
    } catch (const OverflowError &) {
        loadReport.problems << str(texts::startupTotalTooLarge)
                                    .arg(st_.time1.toString(), st_.time2.toString(), st_.cycle.toString(),
                                         QString::number(defaults::time1), QString::number(defaults::time2),
                                         QString::number(defaults::cycle));
        loadReport.complete = false;
        backupBeforeSave_ = loadReport.present;
        st_.time1 = defaults::time1;
        st_.time2 = defaults::time2;
        st_.cycle = defaults::cycle;
        st_.timesum = total(st_.time1, st_.time2, st_.cycle);
        fillBoxes();
    }
    w_.setText(TextBox::Text4, st_.timesum.toString());

    // 9. Clock.
    w_.setTimerInterval(1000);

    // 10. Players.
    for (int n = 1; n <= 4; ++n) {
        mm_.setNotify(n, true);
        mm_.setFileName(n, st_.c[n]);
        mm_.command(n, PlayerCommand::Open);
    }

    // 11. Banners.
    w_.setBannerCaption(Banner::Move, st_.message1);
    w_.setBannerCaption(Banner::End, st_.message2);

    // 12. The buttons as they look in Idle.
    w_.setButtonColour(Button::Command1, colours::lightCyan);
    w_.setButtonColour(Button::Command2, colours::lightGrey);
    w_.setButtonColour(Button::Command4, colours::lightCyan);

    // 13. Layout.
    Form_Resize();

    if (!loadReport.problems.isEmpty())
        w_.notify(loadReport.problems.join(u"\n\n"));
    tell(RunEventKind::ProgramStart);
}

// ---- Display --------------------------------------------------------------

void Engine::Form_Resize()
{
    const float width = w_.innerWidth();
    const geometry::Grid g = geometry::grid(width, st_.tamasu);
    st_.sukima = g.sukima;
    st_.hankei = g.hankei;

    L17resize();
    L15resize();

    w_.clearDrawing();
    // Only a run under way (running or paused) has dots. t outlives a reset,
    // and the dots of a run that was reset must not come back over the
    // next one's.
    if (!underWay(runStateOf(st_.sw.value(), st_.ck.value(), false)))
        return;
    const qint32 last = st_.t.value();
    for (qint32 n = 1; n <= last; ++n)
        drawDot(n);
}

void Engine::Combo1_Click()
{
    const int index = w_.comboIndex();
    const Integer before = st_.fkc;
    setFontFactor(Integer::fits(index) ? Integer(index) : Integer(-1));
    Form_Resize();
    if (st_.fkc != before)
        tell(RunEventKind::FontFactor, 0, {before.value(), 0, 0});
}

void Engine::setFontFactor(Integer fkc)
{
    st_.fkc = fkc;
    // Nothing selected (or no such entry): the factor stays.
    if (fkc >= 0 && fkc.value() < static_cast<int>(std::size(kFontFactors)))
        st_.fk = kFontFactors[fkc.value()];
}

void Engine::drawDot(qint32 n)
{
    const geometry::Dot d = geometry::dot(n, st_.tamasu, st_.sukima, st_.hankei, st_.fk, st_.time1);
    w_.drawDot(n, d.x, d.y, d.radius, d.colour);
}

void Engine::DrawCircle()
{
    drawDot(st_.t.value());
    // The cue comes after the dot is on the window.
    int player = 0;
    if (st_.t == st_.time1)
        player = 2;
    else if (st_.t.value() > st_.time1.value() - 4)
        player = 1;
    if (player == 0)
        return;
    mm_.command(player, PlayerCommand::Play);
    tell(RunEventKind::Cue, player);
}

void Engine::L17resize()
{
    layoutBanner(Banner::Move, st_.message1);
}

void Engine::L15resize()
{
    layoutBanner(Banner::End, st_.message2);
}

void Engine::layoutBanner(Banner banner, const QString &text)
{
    const float width = w_.innerWidth();
    const float size = geometry::bannerFontSize(width, st_.fk);
    // A window narrower than 15 pixels (or minimised) has no room for a
    // banner; a font of size 0 is refused by every toolkit.
    if (size <= 0)
        return;
    w_.setBannerFontSize(banner, size);
    const qint32 length = static_cast<qint32>(text.toUcs4().size());
    w_.setBannerWidth(banner, geometry::bannerWidth(length, w_.bannerFontSize(banner), st_.fk));
    const float height = geometry::bannerHeight(w_.bannerFontSize(banner), st_.fk);
    const float top = geometry::bannerTop(st_.tamasu, st_.time1, st_.sukima, st_.fk);
    w_.placeBanner(banner, geometry::bannerLeft(width, w_.bannerWidth(banner)), top, height);
}

// ---- Clock ----------------------------------------------------------------

void Engine::Timer1_Timer()
{
    // Restored however the tick ends (an overflow throws), and kept for an
    // outer tick when a room catches up inside this one.
    struct Ticking {
        bool &flag;
        bool was;
        explicit Ticking(bool &f) : flag(f), was(std::exchange(f, true)) {}
        ~Ticking() { flag = was; }
    } ticking(ticking_);
    if (st_.sw == 1) {
        DrawMain();
        tell(RunEventKind::Tick);
    }
    if (st_.ck > st_.cycle)
        DrawEnd();
    // Whoever acts after a tick (the journal's mark, a room catching up)
    // sees it whole, whatever order it was attached in.
    tell(RunEventKind::TickHandled);
}

void Engine::DrawMain()
{
    if (st_.t == 1) {
        showBanner(Banner::Move, false);
        showQuestion(st_.ck.toString());
        tell(RunEventKind::Question);
    }
    if (st_.t > st_.time1)
        showBanner(Banner::Move, true);
    else
        DrawCircle();

    // A second past 32767 cannot be counted: that question ends here.
    const qint32 next = st_.t.value() + 1;
    const qint32 period = st_.time1.value() + st_.time2.value();
    if (!Integer::fits(next) || next > period) {
        nextQuestion();
        return;
    }
    st_.t = Integer(next);
}

void Engine::nextQuestion()
{
    st_.t = 1;
    if (st_.ck.value() == Integer::kMax) {
        // No question number beyond 32767 exists, so neither does a further
        // question: the examination ends as it would after its last one.
        w_.clearDrawing();
        DrawEnd();
        return;
    }
    st_.ck = st_.ck + 1;
    w_.clearDrawing();
}

void Engine::DrawEnd()
{
    w_.clearDrawing();
    showBanner(Banner::Move, false);
    showBanner(Banner::End, true);
    mm_.command(3, PlayerCommand::Play);
    tell(RunEventKind::Cue, 3);
    st_.sw = 0;
    st_.t = 0;
    st_.ck = 0;
    w_.setButtonColour(Button::Command1, colours::lightCyan);
    w_.setButtonColour(Button::Command2, colours::lightGrey);
    tell(RunEventKind::End);
}

// ---- Run control ----------------------------------------------------------

void Engine::Command1_Click()
{
    if (st_.sw > 0)
        return;
    if (w_.buttonCaption(Button::Command1) == str(texts::start)) {
        w_.setButtonCaption(Button::Command1, str(texts::reset));
        w_.setButtonColour(Button::Command1, colours::lightGrey);
        w_.setButtonColour(Button::Command2, colours::lightCyan);
        w_.setButtonColour(Button::Command4, colours::lightGrey);
        st_.sw = 1;
        st_.ck = 1;
        st_.t = 1;
        tell(RunEventKind::Start);
        return;
    }
    w_.setButtonCaption(Button::Command1, str(texts::start));
    w_.setButtonCaption(Button::Command2, str(texts::pause));
    w_.setButtonColour(Button::Command2, colours::lightGrey);
    w_.setButtonColour(Button::Command4, colours::lightCyan);
    st_.ck = 0;
    showQuestion(str(texts::label14));
    showBanner(Banner::End, false);
    showBanner(Banner::Move, false);
    w_.clearDrawing();
    tell(RunEventKind::Reset);
}

void Engine::Command2_Click()
{
    if (st_.ck == 0)
        return;
    if (w_.buttonCaption(Button::Command2) == str(texts::pause)) {
        w_.setButtonCaption(Button::Command2, str(texts::resume));
        w_.setButtonColour(Button::Command1, colours::lightCyan);
        st_.sw = 0;
        tell(RunEventKind::Pause);
    } else {
        w_.setButtonCaption(Button::Command2, str(texts::pause));
        w_.setButtonColour(Button::Command1, colours::lightGrey);
        st_.sw = 1;
        tell(RunEventKind::Resume);
    }
}

void Engine::Command3_Click()
{
    w_.sendHelpKey();
}

void Engine::helpKey()
{
    if (!QFileInfo(helpFile_).isFile()) {
        w_.notify(str(texts::helpMissing).arg(QDir::toNativeSeparators(helpFile_)));
        return;
    }
    if (!w_.openDocument(helpFile_))
        w_.notify(str(texts::helpNotOpened).arg(QDir::toNativeSeparators(helpFile_)));
}

void Engine::Command4_Click()
{
    if (w_.buttonCaption(Button::Command1) != str(texts::start))
        return;
    bool keepCopy = backupBeforeSave_;
    for (;;) {
        const SettingsSaveReport saved = saveSettings(st_, workDir_, keepCopy);
        if (saved.ok) {
            backupBeforeSave_ = false;
            break;
        }
        // Never a trap: the operator may always leave without saving, or go
        // back to the window with nothing changed.
        const QString file = QDir::toNativeSeparators(QDir(workDir_).filePath(QLatin1String(texts::settingsFile)));
        const FailedSaveChoice choice =
            saved.noCopy ? w_.askAfterFailedSave(str(texts::saveNoCopy).arg(file, saved.error), true)
                         : w_.askAfterFailedSave(str(texts::saveFailed).arg(file, saved.error), false);
        // While the question waited, a run may have been started (from another room).
        if (w_.buttonCaption(Button::Command1) != str(texts::start))
            return;
        if (choice == FailedSaveChoice::BackToWindow)
            return;
        if (choice == FailedSaveChoice::CloseWithoutSaving)
            break;
        if (choice == FailedSaveChoice::OverwriteWithoutCopy)
            keepCopy = false;
    }
    tell(RunEventKind::Exit);
    for (int n = 1; n <= 4; ++n)
        mm_.command(n, PlayerCommand::Close);
    w_.endProgram();
}

RunState Engine::runState() const
{
    return runStateOf(st_.sw.value(), st_.ck.value(), w_.buttonCaption(Button::Command1) != str(texts::start));
}

// ---- Time entry -----------------------------------------------------------

void Engine::Text_Click(TextBox box)
{
    if (box != TextBox::Text4)
        w_.setText(box, QString());
}

void Engine::Text_KeyPress(TextBox box, int code)
{
    if (box != TextBox::Text4 && code == 13)
        TimeCal();
}

void Engine::TimeCal()
{
    mm_.command(4, PlayerCommand::Play);
    tell(RunEventKind::Cue, 4);

    // All three values and the total are taken together or not at all.
    struct Box {
        TextBox box;
        const char *name;
    };
    const Box boxes[3] = {{TextBox::Text1, texts::label1},
                          {TextBox::Text2, texts::label2},
                          {TextBox::Text3, texts::label3}};
    Integer values[3];
    for (int i = 0; i < 3; ++i) {
        const QString text = w_.text(boxes[i].box);
        const IntegerReading r = readBoxInteger(text);
        if (!r.ok()) {
            // Quote what was typed, but not a whole pasted page of digits.
            const QString shown = text.size() <= 20 ? text : text.left(20) + u'…';
            w_.notify(str(texts::timeBoxOutOfRange).arg(str(boxes[i].name), shown));
            return;
        }
        values[i] = r.value;
    }
    Integer sum;
    try {
        sum = total(values[0], values[1], values[2]);
    } catch (const OverflowError &) {
        w_.notify(str(texts::totalTooLarge)
                      .arg(values[0].toString(), values[1].toString(), values[2].toString()));
        return;
    }
    const std::array<int, 3> before{st_.time1.value(), st_.time2.value(), st_.cycle.value()};
    st_.time1 = values[0];
    st_.time2 = values[1];
    st_.cycle = values[2];
    st_.timesum = sum;
    w_.setText(TextBox::Text4, st_.timesum.toString());
    Form_Resize();
    tell(RunEventKind::TimeEntry, 0, before);
}

// ---- Sound ----------------------------------------------------------------

void Engine::MMControl_done(int index)
{
    if (index < 1 || index > 4)
        return;
    mm_.command(index, PlayerCommand::Stop);
    mm_.command(index, PlayerCommand::Prev);
}

// ---- What the window shows, and where the run stands ----------------------

void Engine::showQuestion(const QString &caption)
{
    question_ = caption;
    w_.setQuestionNumber(caption);
}

void Engine::showBanner(Banner b, bool visible)
{
    (b == Banner::Move ? moveShown_ : endShown_) = visible;
    w_.setBannerVisible(b, visible);
}

void Engine::addObserver(RunObserver *observer)
{
    if (observer)
        observers_.push_back(observer);
}

void Engine::tell(RunEventKind kind, int player, std::array<int, 3> before)
{
    const RunEvent e{kind, player, before};
    for (RunObserver *o : observers_)
        o->runEvent(e, st_);
}

RunSnapshot Engine::snapshot() const
{
    RunSnapshot s;
    s.time1 = st_.time1;
    s.time2 = st_.time2;
    s.cycle = st_.cycle;
    s.fkc = st_.fkc;
    s.sw = st_.sw;
    s.ck = st_.ck;
    s.t = st_.t;
    s.resetCaption = w_.buttonCaption(Button::Command1) != str(texts::start);
    s.resumeCaption = w_.buttonCaption(Button::Command2) == str(texts::resume);
    s.question = question_;
    s.moveBanner = moveShown_;
    s.endBanner = endShown_;
    return s;
}

bool Engine::adopt(const RunSnapshot &s)
{
    // Only what the procedures themselves could have left behind.
    if (s.sw != 0 && s.sw != 1)
        return false;
    if (s.fkc < 0 || s.fkc.value() >= static_cast<int>(std::size(kFontFactors)))
        return false;
    if (s.ck < 0 || s.t < 0 || (s.sw == 1 && s.ck == 0))
        return false;
    Integer sum;
    try {
        sum = total(s.time1, s.time2, s.cycle);
    } catch (const OverflowError &) {
        return false;
    }

    st_.time1 = s.time1;
    st_.time2 = s.time2;
    st_.cycle = s.cycle;
    st_.timesum = sum;
    w_.setText(TextBox::Text1, st_.time1.toString());
    w_.setText(TextBox::Text2, st_.time2.toString());
    w_.setText(TextBox::Text3, st_.cycle.toString());
    w_.setText(TextBox::Text4, st_.timesum.toString());
    w_.setComboIndex(s.fkc.value());
    setFontFactor(s.fkc);
    st_.sw = s.sw;
    st_.ck = s.ck;
    st_.t = s.t;

    w_.setButtonCaption(Button::Command1, str(s.resetCaption ? texts::reset : texts::start));
    w_.setButtonCaption(Button::Command2, str(s.resumeCaption ? texts::resume : texts::pause));
    // The colours that the buttons have in that state.
    const RunState state = s.state();
    const bool c1 = state != RunState::Running;
    const bool c2 = underWay(state);
    const bool c4 = state == RunState::Idle;
    w_.setButtonColour(Button::Command1, c1 ? colours::lightCyan : colours::lightGrey);
    w_.setButtonColour(Button::Command2, c2 ? colours::lightCyan : colours::lightGrey);
    w_.setButtonColour(Button::Command4, c4 ? colours::lightCyan : colours::lightGrey);
    showQuestion(s.question);
    showBanner(Banner::Move, s.moveBanner);
    showBanner(Banner::End, s.endBanner);
    Form_Resize();
    // A resize draws up to t, the second still to come, and on into the move
    // time; an adopted run shows what its ticks left on the window instead.
    w_.clearDrawing();
    if (st_.ck != 0) {
        const qint32 shown = std::min(st_.t.value() - 1, st_.time1.value());
        for (qint32 n = 1; n <= shown; ++n)
            drawDot(n);
    }
    tell(RunEventKind::Adopted);
    return true;
}

} // namespace tavrin
