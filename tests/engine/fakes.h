#pragma once

// Recording stand-ins for the window and the cue players. Both append what
// they are asked to do to a journal, optionally shared, so that tests can
// check the order of effects across the two ports.

#include "colour.h"
#include "ports.h"
#include "texts.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

namespace tavrin::test {

inline QString buttonName(Button b)
{
    return QStringLiteral("Command%1").arg(static_cast<int>(b) + 1);
}

inline QString bannerName(Banner b)
{
    return b == Banner::Move ? QStringLiteral("Move") : QStringLiteral("End");
}

inline QString colourName(Colour c)
{
    if (c == colours::lightCyan)
        return QStringLiteral("cyan");
    if (c == colours::lightGrey)
        return QStringLiteral("grey");
    if (c == colours::red)
        return QStringLiteral("r");
    if (c == colours::yellow)
        return QStringLiteral("y");
    if (c == colours::green)
        return QStringLiteral("g");
    return QString::number(c.bgr, 16);
}

struct Circle {
    float x = 0;
    float y = 0;
    float radius = 0;
    Colour colour;
};

struct BannerProps {
    QString caption;
    bool visible = false; // hidden as the window is created
    float fontSize = 0;
    float width = 0;
    float height = 0;
    float top = 0;
    float left = 0;
    int layouts = 0; // how often the font size was set
};

struct Notice {
    QString text;
};

class FakeWindow : public WindowPort {
public:
    explicit FakeWindow(QStringList *shared = nullptr) : shared_(shared)
    {
        captions[Button::Command1] = texts::str(texts::start);
        captions[Button::Command2] = texts::str(texts::pause);
        captions[Button::Command3] = texts::str(texts::help);
        captions[Button::Command4] = texts::str(texts::exit);
    }

    // What the window holds.
    QMap<Button, QString> captions;
    QMap<Button, Colour> buttonColours;
    QString questionNumber = QStringLiteral("0");
    QMap<Banner, BannerProps> banners{{Banner::Move, {}}, {Banner::End, {}}};
    QString boxTexts[5];
    int imeModes[5] = {0, 0, 0, 0, 0};
    int combo = -1; // nothing selected when created
    float width = 771;
    QList<Circle> circles; // drawn since the last clear
    int timerInterval = 0;
    QString helpFilePath;
    QStringList opened;
    bool openSucceeds = true;
    QList<Notice> notices;
    QStringList questions;                  // asked after a failed save
    QList<FailedSaveChoice> saveAnswers;    // given in turn, then CloseWithoutSaving
    QList<bool> noCopyAsked;                // each question: whether it was about the old file's copy
    std::function<void()> whileAsking;
    bool ended = false;

    // How the label adjusts an assigned font size or width; identity if unset.
    std::function<float(float)> fontSizeAdjust;
    std::function<float(float)> widthAdjust;

    QString buttonCaption(Button b) const override { return captions.value(b); }
    void setButtonCaption(Button b, const QString &caption) override
    {
        captions[b] = caption;
        record(QStringLiteral("caption %1 %2").arg(buttonName(b), caption));
    }
    void setButtonColour(Button b, Colour colour) override
    {
        buttonColours[b] = colour;
        record(QStringLiteral("colour %1 %2").arg(buttonName(b), colourName(colour)));
    }
    void setQuestionNumber(const QString &caption) override
    {
        questionNumber = caption;
        record(QStringLiteral("label14 %1").arg(caption));
    }
    void setBannerCaption(Banner b, const QString &caption) override
    {
        banners[b].caption = caption;
        record(QStringLiteral("caption %1 %2").arg(bannerName(b), caption));
    }
    void setBannerVisible(Banner b, bool visible) override
    {
        banners[b].visible = visible;
        record(QStringLiteral("%1 %2").arg(visible ? QLatin1String("show") : QLatin1String("hide"), bannerName(b)));
    }
    void setBannerFontSize(Banner b, float points) override
    {
        banners[b].fontSize = fontSizeAdjust ? fontSizeAdjust(points) : points;
        ++banners[b].layouts;
        record(QStringLiteral("font %1 %2").arg(bannerName(b)).arg(points));
    }
    float bannerFontSize(Banner b) const override { return banners.value(b).fontSize; }
    void setBannerWidth(Banner b, float w) override { banners[b].width = widthAdjust ? widthAdjust(w) : w; }
    float bannerWidth(Banner b) const override { return banners.value(b).width; }
    void placeBanner(Banner b, float left, float top, float h) override
    {
        banners[b].left = left;
        banners[b].top = top;
        banners[b].height = h;
    }

    QString text(TextBox box) const override
    {
        const_cast<FakeWindow *>(this)->record(QStringLiteral("read text%1").arg(int(box)));
        return boxTexts[int(box)];
    }
    void setText(TextBox box, const QString &t) override
    {
        boxTexts[int(box)] = t;
        record(QStringLiteral("text%1 %2").arg(int(box)).arg(t));
    }
    void setImeMode(TextBox box, int mode) override
    {
        imeModes[int(box)] = mode;
        record(QStringLiteral("ime%1 %2").arg(int(box)).arg(mode));
    }

    int comboIndex() const override { return combo; }
    void setComboIndex(int index) override
    {
        combo = index;
        record(QStringLiteral("combo %1").arg(index));
    }

    float innerWidth() const override { return width; }
    void setPixelScale() override
    {
        record(QStringLiteral("pixelScale"));
    }
    void clearDrawing() override
    {
        circles.clear();
        record(QStringLiteral("clear"));
    }
    void drawDot(qint32, float x, float y, float radius, Colour colour) override
    {
        circles.append({x, y, radius, colour});
        record(QStringLiteral("circle %1,%2 %3 %4").arg(x).arg(y).arg(radius).arg(colourName(colour)));
    }

    void setTimerInterval(int ms) override
    {
        timerInterval = ms;
        record(QStringLiteral("timer %1").arg(ms));
    }
    void setHelpFile(const QString &path) override
    {
        helpFilePath = path;
        record(QStringLiteral("helpFile %1").arg(path));
    }
    void sendHelpKey() override
    {
        record(QStringLiteral("F1"));
    }
    bool openDocument(const QString &path) override
    {
        opened << path;
        record(QStringLiteral("open %1").arg(path));
        return openSucceeds;
    }
    void notify(const QString &text) override
    {
        notices.append({text});
        record(QStringLiteral("notify"));
    }
    FailedSaveChoice askAfterFailedSave(const QString &text, bool noCopy) override
    {
        questions << text;
        noCopyAsked << noCopy;
        record(QStringLiteral("ask"));
        if (whileAsking)
            whileAsking();
        return saveAnswers.isEmpty() ? FailedSaveChoice::CloseWithoutSaving : saveAnswers.takeFirst();
    }
    void endProgram() override
    {
        ended = true;
        record(QStringLiteral("end"));
    }

private:
    void record(const QString &line)
    {
        if (shared_)
            *shared_ << line;
    }
    QStringList *shared_;
};

class FakePlayers : public CuePlayers {
public:
    explicit FakePlayers(QStringList *shared = nullptr) : shared_(shared) {}

    QStringList log; // "mm<n> <what>", in call order

    void setNotify(int n, bool on) override { record(n, QLatin1String(on ? "notify true" : "notify false")); }
    void setFileName(int n, const QString &file) override { record(n, QStringLiteral("file ") + file); }
    void command(int n, PlayerCommand cmd) override
    {
        static const char *const names[] = {"Open", "Play", "Stop", "Prev", "Close"};
        record(n, QLatin1String(names[static_cast<int>(cmd)]));
    }

private:
    void record(int n, const QString &what)
    {
        const QString line = QStringLiteral("mm%1 %2").arg(n).arg(what);
        log << line;
        if (shared_)
            *shared_ << line;
    }
    QStringList *shared_;
};

} // namespace tavrin::test
