#pragma once

#include "ports.h"
#include "texts.h"

#include <QString>

namespace tavrin {

// Players that play nothing.
class SilentPlayers : public CuePlayers {
public:
    void setNotify(int, bool) override {}
    void setFileName(int, const QString &) override {}
    void command(int, PlayerCommand) override {}
};

// A window that shows nothing and keeps only the captions of the buttons,
// which the procedures read back to decide the run state. With it, the engine
// can work out a run without anybody seeing or hearing it.
class SilentWindow : public WindowPort {
public:
    QString buttonCaption(Button b) const override { return captions_[static_cast<int>(b)]; }
    void setButtonCaption(Button b, const QString &caption) override { captions_[static_cast<int>(b)] = caption; }
    void setButtonColour(Button, Colour) override {}
    void setQuestionNumber(const QString &) override {}
    void setBannerCaption(Banner, const QString &) override {}
    void setBannerVisible(Banner, bool) override {}
    void setBannerFontSize(Banner, float) override {}
    float bannerFontSize(Banner) const override { return 0; }
    void setBannerWidth(Banner, float) override {}
    float bannerWidth(Banner) const override { return 0; }
    void placeBanner(Banner, float, float, float) override {}
    QString text(TextBox) const override { return {}; }
    void setText(TextBox, const QString &) override {}
    void setImeMode(TextBox, int) override {}
    int comboIndex() const override { return -1; }
    void setComboIndex(int) override {}
    float innerWidth() const override { return 0; }
    void setPixelScale() override {}
    void clearDrawing() override {}
    void drawDot(qint32, float, float, float, Colour) override {}
    void setTimerInterval(int) override {}
    void setHelpFile(const QString &) override {}
    void sendHelpKey() override {}
    bool openDocument(const QString &) override { return false; }
    void notify(const QString &) override {}
    FailedSaveChoice askAfterFailedSave(const QString &, bool) override { return FailedSaveChoice::CloseWithoutSaving; }
    void endProgram() override {}

private:
    QString captions_[4] = {texts::str(texts::start), texts::str(texts::pause), texts::str(texts::help),
                            texts::str(texts::exit)};
};

} // namespace tavrin
