#include "room_display.h"

#include "access.h"

#include "fonts.h"
#include "form1.h"
#include "geometry.h"
#include "options_file.h"
#include "texts.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <cmath>

namespace tavrin {

namespace {

using texts::str;

const QString kGroup = QStringLiteral("display");
const QString kScreen = QStringLiteral("screen");
const QString kScreenWidth = QStringLiteral("screenWidth");
const QString kScreenHeight = QStringLiteral("screenHeight");
const QString kSecondsLeft = QStringLiteral("secondsLeft");

// Whole pixels, as the main window places its banners; absurd layouts are
// held inside what Qt's coordinates can take.
int wholePixels(float v)
{
    if (!std::isfinite(v))
        return 0;
    return static_cast<int>(std::lround(std::clamp(v, -1.0e6f, 1.0e6f)));
}

Form1::Caption bannerCaption(Banner b)
{
    return b == Banner::Move ? Form1::Caption::MoveBanner : Form1::Caption::EndBanner;
}

} // namespace

RoomDisplay::RoomDisplay(const ExamState &state, Form1 &operatorWindow, const QString &optionsPath)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      st_(state), operator_(operatorWindow), optionsPath_(optionsPath)
{
    setWindowTitle(str(texts::roomTitle));
    setWindowIcon(operator_.windowIcon());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(colours::black));
    setPalette(pal);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::BlankCursor);

    // What the main window shows now; from here on it tells us of changes.
    question_ = operator_.look(Form1::Caption::Question).caption;
    for (Banner b : {Banner::Move, Banner::End}) {
        const Form1::CaptionLook banner = operator_.look(bannerCaption(b));
        banners_[static_cast<int>(b)] = {banner.caption, banner.visible};
    }

    waitForOptionWrites(); // what this part saved last, if it is still being written
    QSettings options(optionsPath_, QSettings::IniFormat);
    options.beginGroup(kGroup);
    choice_.name = options.value(kScreen).toString();
    choice_.size = QSize(options.value(kScreenWidth).toInt(), options.value(kScreenHeight).toInt());
    secondsLeftShown_ = options.value(kSecondsLeft, false).toBool();

    // Screens come and go while a run goes on: the display follows at the
    // next turn of the event loop, when the desktop has settled.
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen *s) {
        watch(s);
        placeSoon();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &RoomDisplay::placeSoon);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &RoomDisplay::placeSoon);
    for (QScreen *s : QGuiApplication::screens())
        watch(s);
}

RoomDisplay::~RoomDisplay() = default;

void RoomDisplay::watch(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, &RoomDisplay::placeSoon);
}

// ---- Where it stands ------------------------------------------------------

ScreenChoice RoomDisplay::choiceOf(const QScreen *screen)
{
    return {screen->name(), screen->size()};
}

QString RoomDisplay::describe(const QScreen *screen)
{
    QString name = screen->name();
    if (!screen->model().isEmpty())
        name += u' ' + screen->model();
    return str(texts::roomScreenItem).arg(name).arg(screen->size().width()).arg(screen->size().height());
}

QScreen *RoomDisplay::targetScreen() const
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return nullptr;
    if (!choice_.automatic()) {
        for (QScreen *s : screens)
            if (choiceOf(s) == choice_)
                return s;
        // The chosen screen with another resolution: the one it stands on,
        // or the only one of that name.
        if (screen_ && screens.contains(screen_.data()) && screen_->name() == choice_.name)
            return screen_;
        QScreen *named = nullptr;
        int count = 0;
        for (QScreen *s : screens)
            if (s->name() == choice_.name) {
                named = s;
                ++count;
            }
        if (count == 1)
            return named;
    }
    QScreen *mine = operator_.screen();
    QScreen *best = nullptr;
    auto area = [](const QScreen *s) { return qint64(s->size().width()) * s->size().height(); };
    for (QScreen *s : screens)
        if (s != mine && (!best || area(s) > area(best)))
            best = s;
    return best ? best : (screens.contains(mine) ? mine : screens.first());
}

void RoomDisplay::setOpen(bool open)
{
    if (open == isVisible())
        return;
    if (open) {
        place();
    } else {
        hide();
        operator_.setCandidatesApart(false);
    }
    emit openChanged(isVisible());
}

void RoomDisplay::placeSoon()
{
    if (placeQueued_)
        return;
    placeQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        placeQueued_ = false;
        if (isVisible())
            place();
    });
}

void RoomDisplay::place()
{
    QScreen *s = targetScreen();
    if (!s)
        return;
    const QRect where = s->geometry();
    if (!isVisible() || screen() != s || geometry() != where || !isFullScreen()) {
        // Hidden while it moves: a window taken to another X screen is made
        // anew, and a window manager keeps a full-screen window where it is.
        hide();
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        if (screen() != s)
            setScreen(s);
        setGeometry(where);
        // Not showFullScreen(): that would take the keyboard from the
        // operator's window.
        setWindowState(windowState() | Qt::WindowFullScreen);
        show();
    }
    screen_ = s;
    operator_.setCandidatesApart(s != operator_.screen());
    // Left with the main window's screen only: the controls stay on top.
    if (s == operator_.screen()) {
        operator_.raise();
        operator_.activateWindow();
    }
    update();
}

void RoomDisplay::mousePressEvent(QMouseEvent *event)
{
    // A click on it, where it shares the main window's screen, must not
    // bury the controls under it.
    if (screen() == operator_.screen()) {
        operator_.raise();
        operator_.activateWindow();
    }
    event->accept();
}

void RoomDisplay::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        operator_.setCandidatesApart(false);
        emit openChanged(false);
    }
}

// ---- Options --------------------------------------------------------------

void RoomDisplay::choose(const ScreenChoice &choice)
{
    if (choice == choice_)
        return;
    choice_ = choice;
    saveOptions();
    if (isVisible())
        place();
}

void RoomDisplay::setSecondsLeftShown(bool on)
{
    if (on == secondsLeftShown_)
        return;
    secondsLeftShown_ = on;
    saveOptions();
    update(secondsBox());
}

void RoomDisplay::saveOptions()
{
    writeOptionsLater(optionsPath_, kGroup,
                      {{kScreen, choice_.name},
                       {kScreenWidth, choice_.size.width()},
                       {kScreenHeight, choice_.size.height()},
                       {kSecondsLeft, secondsLeftShown_}},
                      this, [this](const QString &notice) {
                          if (!notice.isEmpty())
                              operator_.notify(notice + u'\n' + str(texts::optionsKeptForNow));
                      });
}

void RoomDisplay::addActionsTo(QWidget &window)
{
    auto *open = new QAction(str(texts::roomShow), &window);
    open->setCheckable(true);
    open->setShortcut(QKeySequence(Qt::Key_F5));
    connect(open, &QAction::toggled, this, &RoomDisplay::setOpen);
    connect(this, &RoomDisplay::openChanged, open, &QAction::setChecked);
    window.addAction(open);

    auto *screens = new QMenu(str(texts::roomScreen), &window);
    connect(screens, &QMenu::aboutToShow, this, [this, screens] {
        qDeleteAll(screens->findChildren<QActionGroup *>(Qt::FindDirectChildrenOnly));
        screens->clear();
        auto *group = new QActionGroup(screens);
        auto add = [&](const QString &text, const ScreenChoice &c) {
            QAction *a = screens->addAction(text);
            a->setCheckable(true);
            a->setChecked(c == choice_);
            group->addAction(a);
            connect(a, &QAction::triggered, this, [this, c] { choose(c); });
            return a;
        };
        add(str(texts::roomScreenAuto), {});
        bool present = choice_.automatic();
        for (QScreen *s : QGuiApplication::screens()) {
            add(describe(s), choiceOf(s));
            present = present || choiceOf(s) == choice_;
        }
        // The chosen screen while it is unplugged: shown, to come back to.
        if (!present)
            add(str(texts::roomScreenItem).arg(choice_.name).arg(choice_.size.width()).arg(choice_.size.height()),
                choice_)
                ->setEnabled(false);
    });
    window.addAction(screens->menuAction());

    auto *seconds = new QAction(str(texts::roomSecondsLeft), &window);
    seconds->setCheckable(true);
    seconds->setChecked(secondsLeftShown_);
    connect(seconds, &QAction::toggled, this, &RoomDisplay::setSecondsLeftShown);
    window.addAction(seconds);
}

// ---- What it shows --------------------------------------------------------

QString RoomDisplay::secondsLeft() const
{
    // Only while a run is under way (running or paused).
    if (!secondsLeftShown_ || !underWay(runStateOf(st_.sw.value(), st_.ck.value(), false)))
        return {};
    // In the move time, and in its last second after the dots are cleared,
    // no answering time is left.
    qint64 left = 0;
    if (!banners_[static_cast<int>(Banner::Move)].visible)
        left = std::max<qint64>(0, qint64(st_.time1.value()) - qint64(dots_.size()));
    return str(texts::secondsLeft).arg(left);
}

void RoomDisplay::mirrorQuestion(const QString &caption)
{
    question_ = caption;
    update(operator_.look(Form1::Caption::Question).box);
}

void RoomDisplay::mirrorBannerCaption(Banner b, const QString &caption)
{
    banners_[static_cast<int>(b)].caption = caption;
    update();
}

void RoomDisplay::mirrorBannerVisible(Banner b, bool visible)
{
    banners_[static_cast<int>(b)].visible = visible;
    update();
}

void RoomDisplay::mirrorClear()
{
    dots_.clear();
    update();
}

void RoomDisplay::mirrorDot(qint32 n, Colour colour)
{
    dots_.push_back({n, colour});
    // A tick repaints only its own dot (and the seconds left beside the
    // question number).
    const QRect box = dotBox(n).toAlignedRect().intersected(rect());
    if (!box.isEmpty())
        update(box);
    if (secondsLeftShown_)
        update(secondsBox());
}

void RoomDisplay::runEvent(const RunEvent &, const ExamState &)
{
    if (secondsLeftShown_)
        update(secondsBox());
}

QRectF RoomDisplay::dotBox(qint32 n) const
{
    const geometry::Grid g = geometry::grid(static_cast<float>(width()), st_.tamasu);
    const geometry::Dot d = geometry::dot(n, st_.tamasu, g.sukima, g.hankei, st_.fk, st_.time1);
    const float r = std::fabs(d.radius) + 2.0f;
    return QRectF(d.x - r, d.y - r, 2 * r, 2 * r);
}

QRect RoomDisplay::bannerBox(Banner b) const
{
    const float w = static_cast<float>(width());
    const float size = geometry::bannerFontSize(w, st_.fk);
    if (size <= 0)
        return {};
    const QString &text = b == Banner::Move ? st_.message1 : st_.message2;
    const qint32 length = static_cast<qint32>(text.toUcs4().size());
    const float bw = geometry::bannerWidth(length, size, st_.fk);
    const float bh = geometry::bannerHeight(size, st_.fk);
    const geometry::Grid g = geometry::grid(w, st_.tamasu);
    const float top = geometry::bannerTop(st_.tamasu, st_.time1, g.sukima, st_.fk);
    return QRect(wholePixels(geometry::bannerLeft(w, bw)), wholePixels(top), std::max(0, wholePixels(bw)),
                 std::max(0, wholePixels(bh)));
}

QRect RoomDisplay::secondsBox() const
{
    const QRect suffix = operator_.look(Form1::Caption::Suffix).box;
    return QRect(suffix.right() + 1 + suffix.height() / 2, suffix.top(), 8 * suffix.height(), suffix.height());
}

void RoomDisplay::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect area = event->rect();

    // The question number and its suffix where the main window has them.
    const Form1::CaptionLook suffix = operator_.look(Form1::Caption::Suffix);
    const Form1::CaptionLook question = operator_.look(Form1::Caption::Question);
    for (const auto &[l, caption] : {std::pair{&question, question_}, std::pair{&suffix, suffix.caption}}) {
        if (!area.intersects(l->box))
            continue;
        p.setFont(l->font);
        p.setPen(l->text);
        p.drawText(l->box, static_cast<int>(l->alignment), caption);
    }
    if (const QString left = secondsLeft(); !left.isEmpty() && area.intersects(secondsBox())) {
        p.setFont(suffix.font);
        p.setPen(suffix.text);
        p.drawText(secondsBox(), Qt::AlignLeft | Qt::AlignTop, left);
    }

    if (!dots_.empty()) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, true);
        const geometry::Grid g = geometry::grid(static_cast<float>(width()), st_.tamasu);
        for (const Dot &dot : dots_) {
            const geometry::Dot d = geometry::dot(dot.n, st_.tamasu, g.sukima, g.hankei, st_.fk, st_.time1);
            const float r = std::fabs(d.radius) + 1.0f;
            if (!QRectF(area).intersects(QRectF(d.x - r, d.y - r, 2 * r, 2 * r)))
                continue;
            const QColor colour = toQColor(dot.colour);
            p.setPen(QPen(colour, 1.0));
            p.setBrush(colour);
            p.drawEllipse(QPointF(d.x, d.y), d.radius, d.radius);
            if (access_ && access_->shapes())
                paintDotMark(p, QPointF(d.x, d.y), d.radius, dot.colour);
        }
        p.restore();
    }

    // The banners over the dots, as the main window's labels stand over its
    // drawing.
    for (Banner b : {Banner::Move, Banner::End}) {
        const BannerShown &shown = banners_[static_cast<int>(b)];
        const QRect box = bannerBox(b);
        if (!shown.visible || box.isEmpty() || !area.intersects(box))
            continue;
        const Form1::CaptionLook label = operator_.look(bannerCaption(b));
        p.fillRect(box, label.background);
        QFont font = label.font;
        font.setPixelSize(pointsToPixels(geometry::bannerFontSize(static_cast<float>(width()), st_.fk)));
        p.setFont(font);
        p.setPen(label.text);
        p.save();
        p.setClipRect(box);
        p.drawText(box, static_cast<int>(label.alignment), shown.caption);
        p.restore();
    }

    // A cue's band over everything, along the edge.
    if (const std::optional<Colour> band = access_ ? access_->band() : std::nullopt)
        for (const QRect &r : bandRects(size()))
            if (area.intersects(r))
                p.fillRect(r, toQColor(*band));
}

void RoomDisplay::setAccess(const Access *access)
{
    access_ = access;
    if (!access)
        return;
    connect(access, &Access::shapesChanged, this, [this] { update(); });
    // Only the edges: a cue never repaints the dots.
    connect(access, &Access::bandChanged, this, [this] {
        for (const QRect &r : bandRects(size()))
            update(r);
    });
}

} // namespace tavrin
