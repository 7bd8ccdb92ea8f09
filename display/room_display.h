#pragma once

#include "display_mirror.h"
#include "exam_state.h"
#include "ports.h"

#include <QPointer>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>
#include <array>
#include <vector>

class QScreen;

namespace tavrin {

class Access;
class Form1;

// Which screen the operator chose for the room display: by name and size,
// since two screens may carry the same name. Empty: the automatic choice.
struct ScreenChoice {
    QString name;
    QSize size;
    bool automatic() const { return name.isEmpty(); }
    friend bool operator==(const ScreenChoice &a, const ScreenChoice &b)
    {
        return a.automatic() ? b.automatic() : a.name == b.name && a.size == b.size;
    }
};

// The candidates' picture of the run, full screen on a screen of its own:
// the question number, the dots and the banners and nothing else. It keeps
// what stands (dot numbers and colours since the last clear, the banners, the
// question) and paints it from that and the exam state, laid out for its own
// width by the same rules as the main window. It never takes the keyboard,
// so the operator's keys always reach the main window, and it is never the
// parent of a message.
class RoomDisplay : public QWidget, public DisplayMirror, public RunObserver {
    Q_OBJECT
public:
    // The options (screen, seconds left) are read from and saved to the INI
    // file optionsPath, in the group [display].
    RoomDisplay(const ExamState &state, Form1 &operatorWindow, const QString &optionsPath);
    ~RoomDisplay() override;

    // Open: full screen on the chosen screen. Closing touches nothing else.
    void setOpen(bool open);
    bool isOpen() const { return isVisible(); }

    ScreenChoice choice() const { return choice_; }
    // Remembered in the options file; the display moves at once if open.
    void choose(const ScreenChoice &choice);
    // The screen the display stands on when open: the chosen one if the
    // desktop has it, otherwise the largest one the main window is not on,
    // otherwise the main window's own.
    QScreen *targetScreen() const;
    static ScreenChoice choiceOf(const QScreen *screen);
    static QString describe(const QScreen *screen);

    // The seconds left in the answering time beside the question number;
    // off unless chosen, remembered.
    void setSecondsLeftShown(bool on);
    bool secondsLeftShown() const { return secondsLeftShown_; }
    // What stands beside the question number now; empty when nothing does.
    QString secondsLeft() const;

    // The cue's band along its edge and the dots' marks, as access
    // chooses; not owned.
    void setAccess(const Access *access);

    // F5 to open and close it, and the choice of screen and of the seconds
    // left, on the window's right-click menu.
    void addActionsTo(QWidget &window);

    // DisplayMirror
    void mirrorQuestion(const QString &caption) override;
    void mirrorBannerCaption(Banner b, const QString &caption) override;
    void mirrorBannerVisible(Banner b, bool visible) override;
    void mirrorClear() override;
    void mirrorDot(qint32 n, Colour colour) override;

    // RunObserver: a start or a pause changes the seconds left shown.
    void runEvent(const RunEvent &event, const ExamState &state) override;

signals:
    void openChanged(bool open);

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct Dot {
        qint32 n;
        Colour colour;
    };
    struct BannerShown {
        QString caption;
        bool visible = false;
    };
    QRectF dotBox(qint32 n) const;
    QRect bannerBox(Banner b) const;
    QRect secondsBox() const;
    void watch(QScreen *screen);
    void placeSoon();
    void place();
    void saveOptions();

    const ExamState &st_;
    Form1 &operator_;
    const Access *access_ = nullptr;
    QString optionsPath_;
    ScreenChoice choice_;
    bool secondsLeftShown_ = false;
    QPointer<QScreen> screen_; // where it stands, or last stood
    bool placeQueued_ = false;

    QString question_;
    std::array<BannerShown, 2> banners_{};
    std::vector<Dot> dots_;
};

} // namespace tavrin
