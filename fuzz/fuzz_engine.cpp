// The engine driven through the handlers the window calls, in any order, with
// any text in the time boxes, any window width and any settings file: an
// operator's worst afternoon. The window and the players are stand-ins that
// only record what they are given.
//
// What must hold: no handler throws (the window would report an internal
// error) and the exam state stays sound after every call.

#include "engine.h"
#include "texts.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>

using namespace tavrin;

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

void finite(float v, const char *what)
{
    if (!std::isfinite(v))
        fail(what);
}

class Window : public WindowPort {
public:
    std::map<Button, QString> captions{{Button::Command1, texts::str(texts::start)},
                                       {Button::Command2, texts::str(texts::pause)}};
    std::map<TextBox, QString> texts;
    std::map<Banner, float> fontSize, width;
    int combo = 0;
    float inner = 800;
    bool ended = false;

    QString buttonCaption(Button b) const override { return captions.count(b) ? captions.at(b) : QString(); }
    void setButtonCaption(Button b, const QString &c) override { captions[b] = c; }
    void setButtonColour(Button, Colour) override {}
    void setQuestionNumber(const QString &) override {}
    void setBannerCaption(Banner, const QString &) override {}
    void setBannerVisible(Banner, bool) override {}
    void setBannerFontSize(Banner b, float points) override
    {
        // A toolkit refuses a font size of 0 or less, and any that is not a number.
        if (!(points > 0) || !std::isfinite(points))
            fail("banner font size not positive");
        fontSize[b] = points;
    }
    float bannerFontSize(Banner b) const override { return fontSize.count(b) ? fontSize.at(b) : 9.0f; }
    void setBannerWidth(Banner b, float w) override
    {
        finite(w, "banner width");
        width[b] = w;
    }
    float bannerWidth(Banner b) const override { return width.count(b) ? width.at(b) : 0.0f; }
    void placeBanner(Banner, float left, float top, float h) override
    {
        finite(left, "banner left");
        finite(top, "banner top");
        finite(h, "banner height");
    }
    QString text(TextBox box) const override { return texts.count(box) ? texts.at(box) : QString(); }
    void setText(TextBox box, const QString &t) override { texts[box] = t; }
    void setImeMode(TextBox, int) override {}
    int comboIndex() const override { return combo; }
    void setComboIndex(int index) override { combo = index; }
    float innerWidth() const override { return inner; }
    void setPixelScale() override {}
    void clearDrawing() override {}
    void drawDot(qint32, float x, float y, float radius, Colour) override
    {
        finite(x, "dot x");
        finite(y, "dot y");
        finite(radius, "dot radius");
        if (radius < 0)
            fail("negative dot radius");
    }
    void setTimerInterval(int) override {}
    void setHelpFile(const QString &) override {}
    void sendHelpKey() override {}
    bool openDocument(const QString &) override { return false; }
    void notify(const QString &text) override
    {
        if (text.isEmpty())
            fail("empty notice");
    }
    FailedSaveChoice askAfterFailedSave(const QString &text, bool) override
    {
        if (text.isEmpty())
            fail("empty question");
        return FailedSaveChoice::CloseWithoutSaving;
    }
    void endProgram() override { ended = true; }
};

class Players : public CuePlayers {
public:
    void setNotify(int p, bool) override { index(p); }
    void setFileName(int p, const QString &) override { index(p); }
    void command(int p, PlayerCommand) override { index(p); }

private:
    static void index(int p)
    {
        if (p < 1 || p > 4)
            fail("player number outside 1..4");
    }
};

const QString &scratch()
{
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/tavrin-fuzz-XXXXXX")
                                                       : QDir::tempPath() + QStringLiteral("/tavrin-fuzz-XXXXXX"));
    static const QString path = dir.path();
    if (!dir.isValid())
        fail("no scratch directory");
    return path;
}

void checkState(const Engine &e)
{
    const ExamState &s = e.state();
    if (s.sw != 0 && s.sw != 1)
        fail("sw is neither 0 nor 1");
    if (s.ck < 0 || s.t < 0)
        fail("negative question or second");
    if (s.sw == 1 && (s.ck < 1 || s.t < 1))
        fail("running without a question or second");
    const long long total = (static_cast<long long>(s.time1.value()) + s.time2.value()) * s.cycle.value();
    if (s.timesum.value() != total)
        fail("timesum is not (time1 + time2) * cycle");
    if (s.tamasu < 1)
        fail("tamasu below 1");
    if (s.fk != 1.0f && s.fk != 1.25f && s.fk != 1.5f)
        fail("no font factor");
    if (s.sukima < 0 || s.hankei < 0)
        fail("negative grid");
}

// Something a person might type, or anything at all.
QString boxText(FuzzedDataProvider &in)
{
    static const char *const typical[] = {"", "0", "1", "-1", "30", "5", "40", "936", "937", "32767",
                                          "-32768", "32768", "2.5", "-2.5", "1e3", " 7", "abc", "."};
    if (in.ConsumeBool())
        return QString::fromLatin1(typical[in.ConsumeIntegralInRange<std::size_t>(0, std::size(typical) - 1)]);
    return QString::fromStdString(in.ConsumeRandomLengthString(24));
}

template <typename F>
void handler(const Engine &e, F &&call)
{
    try {
        call();
    } catch (const std::exception &ex) {
        std::fprintf(stderr, "a handler threw: %s\n", ex.what());
        std::abort();
    }
    checkState(e);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString &dir = scratch();
    const QString cfg = dir + QStringLiteral("/Tavrin.cfg");
    QFile::remove(dir + QStringLiteral("/Tavrin.cfg.bak"));
    QFile::remove(cfg);
    if (in.ConsumeBool()) {
        const std::string file = in.ConsumeRandomLengthString(256);
        QFile f(cfg);
        if (!f.open(QIODevice::WriteOnly))
            fail("cannot write the settings file");
        f.write(file.data(), static_cast<qint64>(file.size()));
    }

    Window w;
    Players p;
    Engine e(w, p);
    w.inner = static_cast<float>(in.ConsumeIntegralInRange<int>(0, 4000));
    handler(e, [&] { e.Form_Load(dir, dir); });

    const TextBox boxes[] = {TextBox::Text1, TextBox::Text2, TextBox::Text3, TextBox::Text4};
    int ticks = 0;
    while (in.remaining_bytes() > 0 && !w.ended) {
        switch (in.ConsumeIntegralInRange<int>(0, 10)) {
        case 0: {
            const TextBox box = boxes[in.ConsumeIntegralInRange<int>(0, 2)];
            w.texts[box] = boxText(in);
            handler(e, [&] { e.Text_KeyPress(box, 13); });
            break;
        }
        case 1: {
            const TextBox box = boxes[in.ConsumeIntegralInRange<int>(0, 3)];
            handler(e, [&] { e.Text_Click(box); });
            break;
        }
        case 2: handler(e, [&] { e.Command1_Click(); }); break;
        case 3: handler(e, [&] { e.Command2_Click(); }); break;
        case 4:
        case 5: {
            // Long runs of ticks reach the ends of questions and examinations.
            const int n = in.ConsumeIntegralInRange<int>(1, 400);
            for (int i = 0; i < n && ticks < 40000; ++i, ++ticks)
                handler(e, [&] { e.Timer1_Timer(); });
            break;
        }
        case 6:
            // From a minimised window to a wall of projectors.
            w.inner = in.ConsumeBool() ? static_cast<float>(in.ConsumeIntegralInRange<int>(0, 20))
                                       : in.ConsumeFloatingPointInRange<float>(0.0f, 100000.0f);
            handler(e, [&] { e.Form_Resize(); });
            break;
        case 7:
            w.combo = in.ConsumeIntegralInRange<int>(-1, 2);
            handler(e, [&] { e.Combo1_Click(); });
            break;
        case 8: {
            const int n = in.ConsumeIntegral<int>();
            handler(e, [&] { e.MMControl_done(n); });
            break;
        }
        case 9: handler(e, [&] { e.helpKey(); }); break;
        case 10: handler(e, [&] { e.Command4_Click(); }); break;
        }
    }
    return 0;
}
