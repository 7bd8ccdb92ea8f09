#pragma once

#include "exam_state.h"
#include "ports.h"
#include "programme.h"
#include "run_snapshot.h"
#include "settings.h"
#include "texts.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace tavrin {

// The procedures of the main window, over the exam state. They reach the
// window and the players only through the two ports, and advance only when
// called: the clock is whoever calls Timer1_Timer.
class Engine {
public:
    Engine(WindowPort &window, CuePlayers &players);

    ExamState &state() { return st_; }
    const ExamState &state() const { return st_; }

    // Start-up. exeDir holds the help file, workDir the settings and sounds.
    void Form_Load(const QString &exeDir, const QString &workDir);

    // Display.
    void Form_Resize();
    void Combo1_Click();
    void DrawCircle();
    void L17resize();
    void L15resize();

    // Clock.
    void Timer1_Timer();
    void DrawMain();
    void DrawEnd();

    // Run control.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void helpKey(); // the window's answer to F1

    // Time entry.
    void Text_Click(TextBox box);
    void Text_KeyPress(TextBox box, int code);
    void TimeCal();

    // Sound.
    void MMControl_done(int index);

    // True while a tick of the clock is being handled: the cues asked for
    // then are that tick's, timed on its second; any other (the chime, the
    // sound check) plays at once.
    bool ticking() const { return ticking_; }

    // Derived from sw, ck and the captions, as the buttons decide.
    RunState runState() const;

    // Told of every change of a run (see RunEventKind); not owned.
    void addObserver(RunObserver *observer);

    // Where the run stands now, and taking over such a place: the times, the
    // font factor, the counters, the captions and colours of the buttons, the
    // question number and the banners, then a layout, and the dots that the
    // run's ticks had left on the window.
    // A snapshot that the exam state cannot hold (a total beyond 16 bits, a
    // font factor other than 0..2, counters out of their ranges) is refused
    // and changes nothing.
    RunSnapshot snapshot() const;
    bool adopt(const RunSnapshot &s);

    // The plan the run follows: the chosen programme, or else the one block
    // of the three boxes (time1, time2, cycle).
    Programme plan() const;
    bool programmed() const { return programme_.has_value(); }
    // The programme the next run follows; none: the three boxes again.
    // Refused (false, nothing changed) while a run is under way, or for a
    // plan the engine cannot count. The three boxes and Tavrin.cfg keep
    // their own values whatever the programme holds.
    bool setProgramme(const std::optional<Programme> &programme);
    // Where a programme's run stands: the part (index) and, in reading time
    // or a break, the second of it the next tick shows (0 otherwise).
    int part() const { return part_; }
    int lead() const { return lead_; }
    // The reading time's or break's banner with its countdown, as shown;
    // empty when none is.
    QString leadCaption() const { return leadShown_ ? leadCaption_ : QString(); }

private:
    // fit: smaller than the Parts' size where the text would not fit across.
    void layoutBanner(Banner banner, const QString &text, bool fit = false);
    void nextQuestion();
    void drawDot(qint32 n);
    void setFontFactor(Integer fkc);
    void showQuestion(const QString &caption);
    void showBanner(Banner b, bool visible);
    void tell(RunEventKind kind, int player = 0, std::array<int, 3> before = {});
    bool leadTick(bool &partOver);
    bool nextPart();
    void enterPart(int index);
    void showLead(const QString &banner, qint64 left);
    void hideLead();
    void putBoxesBack();
    void showTotal();

    WindowPort &w_;
    CuePlayers &mm_;
    ExamState st_;
    QString helpFile_;
    QString workDir_;
    bool backupBeforeSave_ = false;
    std::vector<RunObserver *> observers_;
    // What the window shows that the exam state does not hold; only the
    // engine changes it.
    QString question_ = texts::str(texts::label14);
    bool moveShown_ = false;
    bool ticking_ = false;
    bool endShown_ = false;
    // A programme's run: its plan, what the three boxes held before it, the
    // part under way and the second of its reading time or break.
    std::optional<Programme> programme_;
    std::array<Integer, 3> boxes_;
    int part_ = 0;
    qint32 lead_ = 0;
    bool leadShown_ = false;
    QString leadCaption_;
};

} // namespace tavrin
