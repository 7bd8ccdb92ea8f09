#pragma once

#include "exam_state.h"
#include "ports.h"
#include "settings.h"

#include <QString>

namespace tavrin {

enum class RunState { Idle, Running, Paused, Finished };

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
    const SettingsLoadReport &settingsReport() const { return loadReport_; }
    QString helpFile() const { return helpFile_; }

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

    // Derived from sw, ck and the captions, as the buttons decide.
    RunState runState() const;

private:
    void layoutBanner(Banner banner, const QString &text);
    void nextQuestion();
    void drawDot(qint32 n);

    WindowPort &w_;
    CuePlayers &mm_;
    ExamState st_;
    QString helpFile_;
    QString workDir_;
    SettingsLoadReport loadReport_;
    bool backupBeforeSave_ = false;
};

} // namespace tavrin
