#pragma once

#include "colour.h"

#include <QString>

namespace tavrin {

enum class Button { Command1, Command2, Command3, Command4 };
enum class Banner { Move /* Label17 */, End /* Label15 */ };
// Text1..Text4, numbered as the window numbers them.
enum class TextBox { Text1 = 1, Text2, Text3, Text4 };

// What the engine needs of the main window: its run-time properties and its
// drawing surface. The engine never touches a widget directly.
class WindowPort {
public:
    virtual ~WindowPort() = default;

    virtual QString buttonCaption(Button b) const = 0;
    virtual void setButtonCaption(Button b, const QString &caption) = 0;
    virtual void setButtonColour(Button b, Colour colour) = 0;

    virtual void setQuestionNumber(const QString &caption) = 0; // Label14

    virtual void setBannerCaption(Banner b, const QString &caption) = 0;
    virtual void setBannerVisible(Banner b, bool visible) = 0;
    // Banner geometry in pixels and font size in points. The getters report
    // what the label actually holds, which the layout reads back.
    virtual void setBannerFontSize(Banner b, float points) = 0;
    virtual float bannerFontSize(Banner b) const = 0;
    virtual void setBannerWidth(Banner b, float width) = 0;
    virtual float bannerWidth(Banner b) const = 0;
    virtual void setBannerHeight(Banner b, float height) = 0;
    virtual void setBannerTop(Banner b, float top) = 0;
    virtual void setBannerLeft(Banner b, float left) = 0;

    virtual QString text(TextBox box) const = 0;
    virtual void setText(TextBox box, const QString &text) = 0;
    // The one typing constraint the time boxes get at start-up (3: input
    // method off, so only plain single-byte characters can be typed).
    virtual void setImeMode(TextBox box, int mode) = 0;

    virtual int comboIndex() const = 0;   // Combo1, -1 when nothing is selected
    virtual void setComboIndex(int index) = 0;

    virtual float innerWidth() const = 0; // pixels
    virtual void setPixelScale() = 0;
    virtual void clearDrawing() = 0;
    // A filled circle with an outline of the same colour.
    virtual void drawCircle(float x, float y, float radius, Colour colour) = 0;

    virtual void setTimerInterval(int milliseconds) = 0; // Timer1
    virtual void setHelpFile(const QString &path) = 0;
    virtual void sendHelpKey() = 0;  // F1 to the window, not awaited
    virtual bool openDocument(const QString &path) = 0; // with the desktop's handler

    // A message to the operator that does not hold up the clock.
    virtual void notify(const QString &title, const QString &text) = 0;
    virtual void endProgram() = 0;
};

enum class PlayerCommand { Open, Play, Stop, Prev, Close };

// The four cue players, numbered 1 to 4.
class CuePlayers {
public:
    virtual ~CuePlayers() = default;
    virtual void setNotify(int player, bool on) = 0;   // completion events wanted
    virtual void setWait(int player, bool on) = 0;     // false: commands return at once
    virtual void setDeviceType(int player, const QString &type) = 0;
    virtual void setFileName(int player, const QString &file) = 0;
    virtual void command(int player, PlayerCommand cmd) = 0;
};

} // namespace tavrin
