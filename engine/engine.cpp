#include "engine.h"

#include "geometry.h"
#include "numbers.h"
#include "programme_position.h"
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
    // A programme chosen before start-up keeps what the file just gave the
    // boxes, to be saved at exit, and lays the window out for its first part.
    if (programme_) {
        boxes_ = {st_.time1, st_.time2, st_.cycle};
        enterPart(0);
        st_.ck = 0;
        st_.t = 0;
        lead_ = 0;
    }
    showTotal();

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
    // Reading time and breaks lend the move banner their countdown.
    layoutBanner(Banner::Move, leadShown_ ? leadCaption_ : st_.message1, leadShown_);
}

void Engine::L15resize()
{
    layoutBanner(Banner::End, st_.message2);
}

void Engine::layoutBanner(Banner banner, const QString &text, bool fit)
{
    const float width = w_.innerWidth();
    const float size = geometry::bannerFontSize(width, st_.fk);
    // A window narrower than 15 pixels (or minimised) has no room for a
    // banner; a font of size 0 is refused by every toolkit.
    if (size <= 0)
        return;
    w_.setBannerFontSize(banner, size);
    const qint32 length = static_cast<qint32>(text.toUcs4().size());
    float across = geometry::bannerWidth(length, w_.bannerFontSize(banner), st_.fk);
    // A countdown is no use cut off at the window's edge.
    if (fit && across > width) {
        w_.setBannerFontSize(banner, size * width / across * 0.95f);
        across = geometry::bannerWidth(length, w_.bannerFontSize(banner), st_.fk);
    }
    w_.setBannerWidth(banner, across);
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
    bool partOver = false;
    if (st_.sw == 1) {
        if (!programme_ || !leadTick(partOver)) {
            hideLead();
            DrawMain();
            // A block with reading time opens each question with it.
            if (programme_ && st_.t == 1 && st_.ck <= st_.cycle && programme_->parts[part_].reading > 0) {
                lead_ = 1;
                st_.t = 0;
            }
        }
        tell(RunEventKind::Tick);
    }
    // A programme goes on into its next part on the very next tick: no
    // second between the parts, and the end only after the last one.
    if (partOver || st_.ck > st_.cycle) {
        if (!programme_ || !nextPart())
            DrawEnd();
    }
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

bool Engine::leadTick(bool &partOver)
{
    const Part &p = programme_->parts[part_];
    const bool isBreak = p.kind == Part::Kind::Break;
    if (!isBreak && lead_ == 0)
        return false;
    const qint32 length = isBreak ? p.seconds : p.reading;
    if (lead_ == 1) {
        showQuestion(isBreak ? QString() : st_.ck.toString());
        w_.clearDrawing();
    }
    const QString &banner = isBreak ? p.banner : p.readingBanner;
    showLead(banner.isEmpty() ? str(isBreak ? texts::breakBanner : texts::readingBanner) : banner,
             qint64(length) - lead_ + 1);
    if (lead_ < length) {
        ++lead_;
        return true;
    }
    lead_ = 0;
    if (isBreak) {
        partOver = true;
        return true;
    }
    st_.t = 1;
    if (p.readingCue) {
        mm_.command(4, PlayerCommand::Play);
        tell(RunEventKind::Cue, 4);
    }
    return true;
}

bool Engine::nextPart()
{
    const std::vector<Part> &parts = programme_->parts;
    for (int i = part_ + 1; i < int(parts.size()); ++i) {
        if (parts[i].length() > 0) {
            enterPart(i);
            return true;
        }
    }
    return false;
}

void Engine::enterPart(int index)
{
    part_ = index;
    const std::vector<Part> &parts = programme_->parts;
    const Part &p = parts[index];
    // A break is laid out for the block that follows it.
    const Part *block = nullptr;
    for (int i = index; i < int(parts.size()) && !block; ++i)
        if (parts[i].kind == Part::Kind::Block)
            block = &parts[i];
    if (block) {
        st_.time1 = block->answer;
        st_.time2 = block->move;
        st_.cycle = block->questions;
    }
    // A break counts as the first question of its own, so that the run
    // stays under way (pause and resume work) and never reads as ended.
    if (st_.cycle < 1)
        st_.cycle = 1;
    try {
        st_.timesum = total(st_.time1, st_.time2, st_.cycle);
    } catch (const OverflowError &) {
        st_.timesum = 0;
    }
    st_.ck = 1;
    const bool leads = p.kind == Part::Kind::Break || p.reading > 0;
    lead_ = leads ? 1 : 0;
    st_.t = leads ? 0 : 1;
    // Laid out for the part's own answering time; its dots start afresh.
    L17resize();
    L15resize();
    w_.clearDrawing();
}

void Engine::showLead(const QString &banner, qint64 left)
{
    leadCaption_ = str(texts::leadCountdown)
                       .arg(banner, QString::number(left / 60), QString::number(left % 60).rightJustified(2, u'0'));
    leadShown_ = true;
    w_.setBannerCaption(Banner::Move, leadCaption_);
    L17resize();
    showBanner(Banner::Move, true);
}

void Engine::hideLead()
{
    if (!leadShown_)
        return;
    leadShown_ = false;
    showBanner(Banner::Move, false);
    w_.setBannerCaption(Banner::Move, st_.message1);
    L17resize();
}

void Engine::putBoxesBack()
{
    st_.time1 = boxes_[0];
    st_.time2 = boxes_[1];
    st_.cycle = boxes_[2];
    st_.timesum = total(st_.time1, st_.time2, st_.cycle);
    showTotal();
}

// The total box: while a programme is chosen, the whole programme's seconds
// (shown only: it may pass what the boxes' 16-bit sums can hold, and takes
// no part in them); otherwise the boxes' own total.
void Engine::showTotal()
{
    w_.setText(TextBox::Text4, programme_ ? QString::number(programme_->total()) : st_.timesum.toString());
}

Programme Engine::plan() const
{
    return programme_ ? *programme_ : Programme::oneBlock(st_.time1.value(), st_.time2.value(), st_.cycle.value());
}

bool Engine::setProgramme(const std::optional<Programme> &programme)
{
    if (underWay(runState()) || (programme && !runnable(*programme)))
        return false;
    if (programme && !programme_)
        boxes_ = {st_.time1, st_.time2, st_.cycle};
    const bool wasProgrammed = programme_.has_value();
    programme_ = programme;
    part_ = 0;
    lead_ = 0;
    hideLead();
    if (programme_)
        enterPart(0);
    else if (wasProgrammed)
        putBoxesBack();
    showTotal();
    // Outside a run the counters read as they did before a start.
    st_.ck = 0;
    st_.t = 0;
    lead_ = 0;
    Form_Resize();
    return true;
}

void Engine::DrawEnd()
{
    hideLead();
    part_ = 0;
    lead_ = 0;
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
        if (programme_) {
            part_ = -1;
            nextPart();
        }
        tell(RunEventKind::Start);
        return;
    }
    w_.setButtonCaption(Button::Command1, str(texts::start));
    w_.setButtonCaption(Button::Command2, str(texts::pause));
    w_.setButtonColour(Button::Command2, colours::lightGrey);
    w_.setButtonColour(Button::Command4, colours::lightCyan);
    st_.ck = 0;
    hideLead();
    part_ = 0;
    lead_ = 0;
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
        // A programme's times are its own: Tavrin.cfg keeps the boxes'.
        ExamState kept = st_;
        if (programme_) {
            kept.time1 = boxes_[0];
            kept.time2 = boxes_[1];
            kept.cycle = boxes_[2];
        }
        const SettingsSaveReport saved = saveSettings(kept, workDir_, keepCopy);
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
    if (programme_) {
        // The programme makes the plan; what was typed would be saved but
        // never run, so it is not taken.
        for (int i = 0; i < 3; ++i)
            w_.setText(TextBox(i + 1), boxes_[i].toString());
        w_.notify(str(texts::timeEntryDuringProgramme));
        return;
    }
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
    if (programme_)
        s.plan = *programme_;
    s.part = part_;
    s.lead = lead_;
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
    const bool programme = !s.plan.parts.empty();
    if (programme) {
        if (!runnable(s.plan) || s.part < 0 || s.part >= int(s.plan.parts.size()))
            return false;
        const Part &p = s.plan.parts[std::size_t(s.part)];
        const qint32 length = p.kind == Part::Kind::Break ? p.seconds : p.reading;
        if (s.lead < 0 || s.lead > length)
            return false;
    } else if (s.part != 0 || s.lead != 0) {
        return false;
    }

    if (programme && !programme_)
        boxes_ = {st_.time1, st_.time2, st_.cycle};
    if (programme)
        programme_ = s.plan;
    else
        programme_.reset();
    part_ = s.part;
    lead_ = s.lead;
    leadShown_ = false;
    w_.setBannerCaption(Banner::Move, st_.message1);

    st_.time1 = s.time1;
    st_.time2 = s.time2;
    st_.cycle = s.cycle;
    st_.timesum = sum;
    // A programme leaves the boxes as the operator filled them.
    const std::array<Integer, 3> boxes =
        programme_ ? boxes_ : std::array<Integer, 3>{st_.time1, st_.time2, st_.cycle};
    w_.setText(TextBox::Text1, boxes[0].toString());
    w_.setText(TextBox::Text2, boxes[1].toString());
    w_.setText(TextBox::Text3, boxes[2].toString());
    showTotal();
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
    // Within reading time or a break the banner counts down the second
    // last shown.
    if (programme_ && s.moveBanner && lead_ >= 2) {
        const Part &p = programme_->parts[std::size_t(part_)];
        const bool isBreak = p.kind == Part::Kind::Break;
        const QString &banner = isBreak ? p.banner : p.readingBanner;
        showLead(banner.isEmpty() ? str(isBreak ? texts::breakBanner : texts::readingBanner) : banner,
                 qint64(isBreak ? p.seconds : p.reading) - lead_ + 2);
    }
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
