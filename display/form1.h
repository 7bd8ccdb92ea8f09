#pragma once

#include "colour.h"
#include "engine.h"
#include "frame_port.h"
#include "ports.h"

#include <QColor>
#include <QFont>
#include <QLineEdit>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QMessageBox;
class QPushButton;

namespace tavrin {

class Access;
class DisplayMirror;
class PhaseTimer;

// A text box that reports a mouse click, as the time boxes need.
class TextBoxEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBoxEdit(QWidget *parent);
signals:
    void clicked();
protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// The program's only window. It builds every control, paints the dots that
// the engine draws, and forwards every event to the engine. The parts beside
// it reach it through its FramePort.
class Form1 : public QWidget, public WindowPort, public FramePort, private RunObserver {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Connects the window's events and the clock's ticks to the engine, and
    // the clock's interval to the engine's setting; call before Form_Load.
    // Neither is owned.
    void attach(Engine *engine, PhaseTimer *clock);
    // Another display told of every picture change, or none; not owned.
    void setMirror(DisplayMirror *mirror) { mirror_ = mirror; }
    // The band of a cue along the window's edge and the dots' marks, as
    // access chooses; not owned.
    void setAccess(Access *access);

    // Where and how the window shows what the candidates read beside the
    // dots, for a second display that shows it the same.
    enum class Caption {
        Question,   // Label14
        Suffix,     // Label16
        MoveBanner, // Label17
        EndBanner,  // Label15
    };
    struct CaptionLook {
        QRect box; // in the window
        QFont font;
        QColor text;
        QColor background;
        Qt::Alignment alignment;
        QString caption;
        bool visible = false;
    };
    CaptionLook look(Caption c) const;
    // The question number's font: its own, or a smaller one that fits a
    // longer caption (a countdown) in its place.
    QFont questionFont() const;
    void setQuestionFont(const QFont &font);
    // The largest size of base, up to its own, that fits caption in the
    // question number's place.
    QFont questionFontFor(const QFont &base, const QString &caption) const;
    // While the guard gives a text, 開始 takes neither a click nor its keys,
    // and the operator is told that text instead. None: 開始 acts.
    void setStartGuard(std::function<QString()> guard) { startGuard_ = std::move(guard); }
    // The keyboard to the first time box, as the window opens.
    void focusFirstBox();
    // The candidates see the run on a screen of their own (the room
    // display), not on this window's: its notices need not wait.
    void setCandidatesApart(bool apart);

    // WindowPort
    QString buttonCaption(Button b) const override;
    void setButtonCaption(Button b, const QString &caption) override;
    void setButtonColour(Button b, Colour colour) override;
    void setQuestionNumber(const QString &caption) override;
    void setBannerCaption(Banner b, const QString &caption) override;
    void setBannerVisible(Banner b, bool visible) override;
    void setBannerFontSize(Banner b, float points) override;
    float bannerFontSize(Banner b) const override;
    void setBannerWidth(Banner b, float width) override;
    float bannerWidth(Banner b) const override;
    void placeBanner(Banner b, float left, float top, float height) override;
    QString text(TextBox box) const override;
    void setText(TextBox box, const QString &text) override;
    void setImeMode(TextBox box, int mode) override;
    int comboIndex() const override;
    void setComboIndex(int index) override;
    float innerWidth() const override;
    void setPixelScale() override;
    void clearDrawing() override;
    void drawDot(qint32 n, float x, float y, float radius, Colour colour) override;
    void setTimerInterval(int milliseconds) override;
    void setHelpFile(const QString &path) override;
    void sendHelpKey() override;
    bool openDocument(const QString &path) override;
    void notify(const QString &text) override;
    FailedSaveChoice askAfterFailedSave(const QString &text, bool noCopy) override;
    void endProgram() override;

    // FramePort (notify above)
    QAction *addMenuAction(const QString &text, const QKeySequence &key = {}) override;
    void setStatusLine(const QString &text, bool alarm) override;
    void setTitleSuffix(const QString &suffix) override;
    // The engine still sets the locked controls' captions, colours and texts.
    void setInputsLocked(bool locked) override;
    QWidget *dialogParent() override { return this; }

signals:
    // The run state after the engine changed it (start, pause, end, reset,
    // a run taken over), whoever made it change.
    void runStateChanged(tavrin::RunState state);
    // The operator closed the window during a run and confirmed that the
    // examination is aborted.
    void runAborted();
    // A message has been put up for the operator (notify()).
    void noticeShown(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Circle {
        float x;
        float y;
        float radius;
        Colour colour;
    };
    struct BannerGeometry {
        float fontSize = 0;
        float left = 0;
        float top = 0;
        float width = 0;
        float height = 0;
    };
    void buildControls();
    QPushButton *button(Button b) const;
    QLabel *banner(Banner b) const;
    QLabel *captionLabel(Caption c) const;
    TextBoxEdit *textBox(TextBox box) const;
    void applyBannerGeometry(Banner b);
    // While a run goes on where the candidates look, a notice waits in the
    // control strip; now shows it all the same (the operator asked).
    bool holdsNotices() const;
    void showPendingNotices(bool now = false);
    void showStatusLine();
    void runEvent(const RunEvent &event, const ExamState &state) override;
    // Runs an engine handler; anything it throws is reported, never fatal.
    void safely(const std::function<void()> &handler);

    // Controls, by the names the program gives them.
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QFrame *Frame1 = nullptr;
    std::array<QLabel *, 19> Label{}; // Label[1]..Label[18]
    TextBoxEdit *Text1 = nullptr;
    TextBoxEdit *Text2 = nullptr;
    TextBoxEdit *Text3 = nullptr;
    TextBoxEdit *Text4 = nullptr;
    QComboBox *Combo1 = nullptr;

    Engine *engine_ = nullptr;
    std::function<QString()> startGuard_;
    PhaseTimer *clock_ = nullptr;
    DisplayMirror *mirror_ = nullptr;
    QLabel *statusLine_ = nullptr;
    RunState shownState_ = RunState::Idle;
    std::vector<Circle> circles_; // what stands on the drawing surface since the last clear
    std::array<BannerGeometry, 2> bannerGeometry_{};
    QStringList pendingNotices_;
    QString statusText_;
    bool statusAlarm_ = false;
    bool candidatesApart_ = false;
    QPointer<QMessageBox> noticeBox_;
    Access *access_ = nullptr;
    std::array<QWidget *, 4> band_{}; // the cue's band: top, bottom, left, right
    void showBand();
    bool pixelScale_ = false;
    bool ending_ = false;
};

// A 24-bit 0xBBGGRR colour as Qt's colour.
QColor toQColor(Colour colour);

} // namespace tavrin
