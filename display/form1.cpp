#include "form1.h"

#include "access.h"
#include "display_mirror.h"
#include "engine.h"
#include "fonts.h"
#include "phase_timer.h"
#include "texts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <cmath>
#include <exception>
#include <initializer_list>

// The icon lives in this static library's resources, which are not
// registered on their own.
static void initDisplayResources()
{
    Q_INIT_RESOURCE(display);
}

namespace tavrin {

namespace {

using texts::str;

// The window is designed in twips; at 96 dots per inch 15 twips make a pixel.
int px(int twips)
{
    return static_cast<int>(std::lround(twips / 15.0));
}

QRect twipRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

QString cssColour(Colour c)
{
    return toQColor(c).name(QColor::HexRgb);
}

// The system's own text colour, which the banners use for want of their own.
constexpr Colour kDefaultText = colours::black;

struct LabelSpec {
    int index;
    const char *caption;
    Face face;
    double points;
    Colour foreground;
    Colour background;
    Qt::Alignment align;
    int left, top, width, height; // twips, in the frame when inFrame
    bool inFrame;
};

// Every label of the window as it is created.
const LabelSpec kLabels[] = {
    {1, texts::label1, Face::PGothic, 7.5, colours::yellow, colours::black, Qt::AlignLeft, 360, 0, 735, 255, true},
    {2, texts::label2, Face::PGothic, 7.5, colours::yellow, colours::black, Qt::AlignLeft, 1440, 0, 735, 255, true},
    {3, texts::label3, Face::PGothic, 7.5, colours::yellow, colours::black, Qt::AlignLeft, 2520, 0, 495, 255, true},
    {7, texts::label7, Face::PGothic, 7.5, colours::yellow, colours::black, Qt::AlignLeft, 3480, 0, 375, 255, true},
    {9, texts::label9, Face::PGothic, 12, colours::yellow, colours::black, Qt::AlignLeft, 240, 240, 135, 255, true},
    {10, texts::label10, Face::PGothic, 12, colours::yellow, colours::black, Qt::AlignLeft, 1080, 240, 255, 255, true},
    {13, texts::label13, Face::PGothic, 12, colours::yellow, colours::black, Qt::AlignLeft, 2040, 240, 135, 255, true},
    {11, texts::label11, Face::PGothic, 12, colours::yellow, colours::black, Qt::AlignLeft, 2160, 240, 255, 255, true},
    {12, texts::label12, Face::PGothic, 12, colours::yellow, colours::black, Qt::AlignLeft, 3120, 240, 255, 255, true},
    {4, texts::labelSeconds, Face::WindowDefault, 9, colours::yellow, colours::black, Qt::AlignLeft, 720, 600, 255, 255, true},
    {5, texts::labelSeconds, Face::WindowDefault, 9, colours::yellow, colours::black, Qt::AlignLeft, 1680, 600, 255, 255, true},
    {6, texts::labelQuestions, Face::WindowDefault, 9, colours::yellow, colours::black, Qt::AlignLeft, 2880, 600, 255, 255, true},
    {8, texts::labelSeconds, Face::WindowDefault, 9, colours::yellow, colours::black, Qt::AlignLeft, 4200, 600, 255, 255, true},
    {14, texts::label14, Face::PGothic, 48, colours::yellow, colours::black, Qt::AlignRight, 240, 120, 1065, 915, false},
    {16, texts::label16, Face::PGothic, 36, colours::yellow, colours::black, Qt::AlignLeft, 1395, 285, 1515, 795, false},
    {18, texts::label18, Face::PGothic, 7.5, colours::lightOrange, colours::black, Qt::AlignLeft, 10305, 240, 870, 255, false},
    {17, texts::defaultMessage1, Face::Gothic, 48, kDefaultText, colours::green, Qt::AlignHCenter, 240, 2760, 8055, 975, false},
    {15, texts::defaultMessage2, Face::Gothic, 72, kDefaultText, colours::red, Qt::AlignHCenter, 240, 1185, 5775, 1455, false},
};

struct ButtonSpec {
    const char *caption;
    Face face;
    double points;
    Colour colour;
    int left;
    int width;
};

const ButtonSpec kButtons[] = {
    {texts::start, Face::PGothic, 12, colours::lightCyan, 2940, 855},
    {texts::pause, Face::PGothic, 12, colours::lightCyan, 3895, 615},
    {texts::help, Face::Arial, 15.75, colours::lightCyan, 4610, 330},
    {texts::exit, Face::PGothic, 12, colours::lightGrey, 5040, 615},
};
constexpr int kButtonTop = 360;
constexpr int kButtonHeight = 525;

struct TextBoxSpec {
    int left;
    int width;
};
const TextBoxSpec kTextBoxes[] = {{480, 495}, {1440, 495}, {2520, 495}, {3480, 855}};
constexpr int kTextBoxTop = 240;
constexpr int kTextBoxHeight = 264;

constexpr double kWindowFontPoints = 9;

// A style sheet, because not every Qt style paints a button's face in its
// palette colour, and the face must show which buttons act.
// A locked button does nothing and looks it: the grey of a button that does
// nothing now, with a grey caption. Its colour is kept for when it is unlocked.
void paintButtonFace(QPushButton *b, Colour c, bool locked = false)
{
    b->setProperty("tavrinColour", QVariant::fromValue(c.bgr));
    b->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2;"
                                    " border: 1px solid #606060; }"
                                    " QPushButton:pressed { border: 2px inset #404040; }")
                         .arg(cssColour(locked ? colours::lightGrey : c),
                              locked ? QStringLiteral("#808080") : QStringLiteral("black")));
}

Colour faceColour(const QPushButton *b)
{
    return Colour{b->property("tavrinColour").value<std::uint32_t>()};
}

} // namespace

QColor toQColor(Colour colour)
{
    return QColor(colour.red(), colour.green(), colour.blue());
}

TextBoxEdit::TextBoxEdit(QWidget *parent) : QLineEdit(parent) {}

void TextBoxEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    emit clicked();
}

Form1::Form1(QWidget *parent) : QWidget(parent)
{
    initDisplayResources();
    setWindowTitle(texts::windowCaption());
    setWindowIcon(QIcon(QStringLiteral(":/tavrin/tavrin.png")));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(colours::black));
    pal.setColor(QPalette::WindowText, toQColor(colours::white));
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(makeFont(Face::WindowDefault, kWindowFontPoints));
    resize(px(11565), px(6210));
    setMinimumSize(1, 1);
    buildControls();
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    QPushButton **buttons[] = {&Command1, &Command2, &Command3, &Command4};
    for (int i = 0; i < 4; ++i) {
        const ButtonSpec &s = kButtons[i];
        auto *b = new QPushButton(str(s.caption), this);
        b->setObjectName(QStringLiteral("Command%1").arg(i + 1));
        b->setFont(makeFont(s.face, s.points));
        b->setGeometry(twipRect(s.left, kButtonTop, s.width, kButtonHeight));
        b->setAutoDefault(false);
        paintButtonFace(b, s.colour);
        *buttons[i] = b;
    }

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::NoFrame);
    Frame1->setGeometry(twipRect(5640, 240, 4650, 780));
    Frame1->setAutoFillBackground(true);

    for (const LabelSpec &s : kLabels) {
        auto *l = new QLabel(str(s.caption), s.inFrame ? static_cast<QWidget *>(Frame1) : this);
        l->setObjectName(QStringLiteral("Label%1").arg(s.index));
        l->setFont(makeFont(s.face, s.points));
        l->setAlignment(s.align | Qt::AlignTop);
        l->setGeometry(twipRect(s.left, s.top, s.width, s.height));
        l->setAutoFillBackground(true);
        QPalette p = l->palette();
        p.setColor(QPalette::Window, toQColor(s.background));
        p.setColor(QPalette::WindowText, toQColor(s.foreground));
        l->setPalette(p);
        l->setTextFormat(Qt::PlainText);
        Label[s.index] = l;
    }
    Label[17]->hide();
    Label[15]->hide();
    for (Banner b : {Banner::Move, Banner::End}) {
        QLabel *l = banner(b);
        BannerGeometry &g = bannerGeometry_[static_cast<int>(b)];
        g.left = static_cast<float>(l->x());
        g.top = static_cast<float>(l->y());
        g.width = static_cast<float>(l->width());
        g.height = static_cast<float>(l->height());
        g.fontSize = b == Banner::Move ? 48 : 72;
    }

    TextBoxEdit **boxes[] = {&Text1, &Text2, &Text3, &Text4};
    for (int i = 0; i < 4; ++i) {
        auto *t = new TextBoxEdit(Frame1);
        t->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        t->setGeometry(twipRect(kTextBoxes[i].left, kTextBoxTop, kTextBoxes[i].width, kTextBoxHeight));
        t->setStyleSheet(QStringLiteral("QLineEdit { background-color: black; color: %1;"
                                        " border: 1px solid #808080; padding: 0px 1px; }"
                                        " QLineEdit:disabled { color: #808080; border-color: #404040; }")
                             .arg(cssColour(colours::yellow)));
        *boxes[i] = t;
    }

    QPalette framePalette = Frame1->palette();
    framePalette.setColor(QPalette::Window, toQColor(colours::black));
    Frame1->setPalette(framePalette);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    for (const auto &item : texts::fontFactorItems)
        Combo1->addItem(str(item));
    Combo1->setPlaceholderText(str(texts::combo1Text));
    Combo1->setCurrentIndex(-1);
    Combo1->setGeometry(twipRect(10260, 480, 855, 300));
    Combo1->setStyleSheet(QStringLiteral("QComboBox { background-color: black; color: %1;"
                                         " border: 1px solid #808080; padding: 0px 2px; }"
                                         " QComboBox:disabled { color: #808080; border-color: #404040; }"
                                         " QComboBox QAbstractItemView { background-color: black;"
                                         " color: %1; selection-background-color: #505050; }")
                              .arg(cssColour(colours::lightOrange)));

    // Under the buttons and the time boxes, from the start button's left
    // edge to the font factor's label, above the first row of dots (80
    // pixels down at the smallest font factor): outside the part of the
    // window the candidates read.
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setGeometry(twipRect(2940, 1005, 7350, 165));
    statusLine_->setTextFormat(Qt::PlainText);
    QFont lineFont = statusLine_->font();
    lineFont.setPixelSize(10);
    statusLine_->setFont(lineFont);
    statusLine_->hide();
    statusLine_->installEventFilter(this); // a click shows the notices that wait

    // 開始 asks its guard first (a start at a time of day waits).
    Command1->installEventFilter(this);

    // Labels, the frame and the window itself never take the focus.
    setFocusPolicy(Qt::NoFocus);
    // The functions beyond the control strip are actions added to the window:
    // its right-click menu, and their keys.
    setContextMenuPolicy(Qt::ActionsContextMenu);
    QWidget *order[] = {Text1, Text2, Text3, Text4, Command3, Command4, Command2, Command1, Combo1};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);

    // What a screen reader says of each control: the buttons by their
    // captions (which change with the run), the rest by name.
    struct Named {
        QWidget *w;
        const char *name;
        const char *description;
    };
    const Named named[] = {
        {this, nullptr, texts::a11yWindowDesc},
        {Command1, nullptr, texts::a11yStartDesc},
        {Command2, nullptr, texts::a11yPauseDesc},
        {Command3, texts::a11yHelp, texts::a11yHelpDesc},
        {Command4, nullptr, texts::a11yExitDesc},
        {Text1, texts::a11yTime1, texts::a11yTimeBoxDesc},
        {Text2, texts::a11yTime2, texts::a11yTimeBoxDesc},
        {Text3, texts::a11yCycle, texts::a11yTimeBoxDesc},
        {Text4, texts::a11yTotal, texts::a11yTotalDesc},
        {Combo1, texts::a11yFontFactor, texts::a11yFontFactorDesc},
        {Label[14], texts::a11yQuestion, texts::a11yQuestionDesc},
        {Label[17], texts::a11yMoveBanner, nullptr},
        {Label[15], texts::a11yEndBanner, nullptr},
        {statusLine_, texts::a11yStatusLine, texts::a11yStatusLineDesc},
    };
    // Each input's caption stands for it too: a screen reader reads a
    // combo box by its value and its caption.
    for (auto [label, input] : {std::pair{1, static_cast<QWidget *>(Text1)}, {2, Text2}, {3, Text3}, {7, Text4},
                                {18, Combo1}})
        Label[label]->setBuddy(input);
    for (const Named &n : named) {
        if (n.name)
            n.w->setAccessibleName(str(n.name));
        if (n.description)
            n.w->setAccessibleDescription(str(n.description));
    }
}

void Form1::setAccess(Access *access)
{
    access_ = access;
    if (!access)
        return;
    connect(access, &Access::shapesChanged, this, [this] { update(); });
    connect(access, &Access::bandChanged, this, &Form1::showBand);
}

void Form1::showBand()
{
    const std::optional<Colour> colour = access_ ? access_->band() : std::nullopt;
    const std::array<QRect, 4> rects = bandRects(size());
    for (std::size_t i = 0; i < band_.size(); ++i) {
        QWidget *&edge = band_[i];
        if (!colour) {
            if (edge)
                edge->hide();
            continue;
        }
        if (!edge) {
            edge = new QWidget(this);
            edge->setObjectName(QStringLiteral("cueBand%1").arg(i));
            edge->setAttribute(Qt::WA_TransparentForMouseEvents);
            edge->setAutoFillBackground(true);
        }
        QPalette p = edge->palette();
        p.setColor(QPalette::Window, toQColor(*colour));
        edge->setPalette(p);
        edge->setGeometry(rects[i]);
        edge->raise(); // over the control strip's controls too
        edge->show();
    }
}

void Form1::attach(Engine *engine, PhaseTimer *clock)
{
    engine_ = engine;
    clock_ = clock;
    engine_->addObserver(this);
    shownState_ = engine_->runState();
    connect(Command1, &QPushButton::clicked, this, [this] { safely([this] { engine_->Command1_Click(); }); });
    connect(Command2, &QPushButton::clicked, this, [this] { safely([this] { engine_->Command2_Click(); }); });
    connect(Command3, &QPushButton::clicked, this, [this] { safely([this] { engine_->Command3_Click(); }); });
    connect(Command4, &QPushButton::clicked, this, [this] { safely([this] { engine_->Command4_Click(); }); });
    const std::pair<TextBoxEdit *, TextBox> boxes[] = {
        {Text1, TextBox::Text1}, {Text2, TextBox::Text2}, {Text3, TextBox::Text3}, {Text4, TextBox::Text4}};
    for (const auto &[edit, box] : boxes) {
        const TextBox which = box;
        connect(edit, &TextBoxEdit::clicked, this, [this, which] { safely([this, which] { engine_->Text_Click(which); }); });
        connect(edit, &QLineEdit::returnPressed, this,
                [this, which] { safely([this, which] { engine_->Text_KeyPress(which, 13); }); });
    }
    connect(Combo1, &QComboBox::activated, this, [this] { safely([this] { engine_->Combo1_Click(); }); });
    if (clock_)
        connect(clock_, &PhaseTimer::timeout, this, [this] { safely([this] { engine_->Timer1_Timer(); }); });
}

void Form1::safely(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        notify(str(texts::internalError).arg(QString::fromLocal8Bit(e.what())));
    }
}

// Every change of the run passes here, whether a button, a tick, a resume or
// a controller made it: the one place that tells of a new run state.
void Form1::runEvent(const RunEvent &, const ExamState &)
{
    const RunState now = engine_->runState();
    if (now == shownState_)
        return;
    shownState_ = now;
    // A notice still open as the run starts or resumes waits again.
    if (holdsNotices() && noticeBox_ && noticeBox_->isVisible()) {
        pendingNotices_.prepend(noticeBox_->text());
        noticeBox_->close();
    }
    // Those that waited are shown once the run is paused or over.
    QTimer::singleShot(0, this, [this] { showPendingNotices(); });
    emit runStateChanged(now);
}

QPushButton *Form1::button(Button b) const
{
    switch (b) {
    case Button::Command1: return Command1;
    case Button::Command2: return Command2;
    case Button::Command3: return Command3;
    case Button::Command4: return Command4;
    }
    return Command1;
}

QLabel *Form1::banner(Banner b) const
{
    return b == Banner::Move ? Label[17] : Label[15];
}

QLabel *Form1::captionLabel(Caption c) const
{
    switch (c) {
    case Caption::Question: return Label[14];
    case Caption::Suffix: return Label[16];
    case Caption::MoveBanner: return Label[17];
    case Caption::EndBanner: return Label[15];
    }
    return Label[14];
}

Form1::CaptionLook Form1::look(Caption c) const
{
    const QLabel *l = captionLabel(c);
    return {l->geometry(), l->font(), l->palette().color(QPalette::WindowText), l->palette().color(QPalette::Window),
            l->alignment(), l->text(), l->isVisible()};
}

QFont Form1::questionFont() const
{
    return Label[14]->font();
}

QFont Form1::questionFontFor(const QFont &base, const QString &caption) const
{
    const QSize place = look(Caption::Question).box.size();
    QFont f = base;
    for (int px = QFontInfo(base).pixelSize(); px > 6; --px) {
        f.setPixelSize(px);
        const QRect need = QFontMetrics(f).boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft, caption);
        if (need.width() <= place.width() && need.height() <= place.height())
            break;
    }
    return f;
}

void Form1::setQuestionFont(const QFont &font)
{
    if (Label[14]->font() != font)
        Label[14]->setFont(font);
}

void Form1::focusFirstBox()
{
    Text1->setFocus();
}

TextBoxEdit *Form1::textBox(TextBox box) const
{
    switch (box) {
    case TextBox::Text1: return Text1;
    case TextBox::Text2: return Text2;
    case TextBox::Text3: return Text3;
    case TextBox::Text4: return Text4;
    }
    return Text1;
}

// ---- WindowPort -----------------------------------------------------------

QString Form1::buttonCaption(Button b) const
{
    return button(b)->text();
}

void Form1::setButtonCaption(Button b, const QString &caption)
{
    button(b)->setText(caption);
}

void Form1::setButtonColour(Button b, Colour colour)
{
    QPushButton *face = button(b);
    paintButtonFace(face, colour, !face->isEnabled());
}

void Form1::setInputsLocked(bool locked)
{
    for (QPushButton *b : {Command1, Command2, Command4}) {
        b->setEnabled(!locked);
        paintButtonFace(b, faceColour(b), locked);
    }
    for (QWidget *w : std::initializer_list<QWidget *>{Text1, Text2, Text3, Text4, Combo1})
        w->setEnabled(!locked);
}

void Form1::setQuestionNumber(const QString &caption)
{
    Label[14]->setText(caption);
    if (mirror_)
        mirror_->mirrorQuestion(caption);
}

void Form1::setBannerCaption(Banner b, const QString &caption)
{
    banner(b)->setText(caption);
    if (mirror_)
        mirror_->mirrorBannerCaption(b, caption);
}

void Form1::setBannerVisible(Banner b, bool visible)
{
    banner(b)->setVisible(visible);
    if (mirror_)
        mirror_->mirrorBannerVisible(b, visible);
}

void Form1::setBannerFontSize(Banner b, float points)
{
    if (!(points > 0))
        return;
    bannerGeometry_[static_cast<int>(b)].fontSize = points;
    QFont f = banner(b)->font();
    f.setPixelSize(pointsToPixels(points));
    banner(b)->setFont(f);
}

float Form1::bannerFontSize(Banner b) const
{
    return bannerGeometry_[static_cast<int>(b)].fontSize;
}

void Form1::setBannerWidth(Banner b, float width)
{
    bannerGeometry_[static_cast<int>(b)].width = width;
}

float Form1::bannerWidth(Banner b) const
{
    return bannerGeometry_[static_cast<int>(b)].width;
}

void Form1::placeBanner(Banner b, float left, float top, float height)
{
    BannerGeometry &g = bannerGeometry_[static_cast<int>(b)];
    g.left = left;
    g.top = top;
    g.height = height;
    applyBannerGeometry(b);
}

void Form1::applyBannerGeometry(Banner b)
{
    const BannerGeometry &g = bannerGeometry_[static_cast<int>(b)];
    // Widgets live on whole pixels; clamp so that absurd layouts cannot
    // overflow Qt's coordinate range.
    auto clampPx = [](float v) {
        if (!std::isfinite(v))
            return 0;
        return static_cast<int>(std::lround(std::clamp(v, -1.0e6f, 1.0e6f)));
    };
    banner(b)->setGeometry(clampPx(g.left), clampPx(g.top), std::max(0, clampPx(g.width)),
                           std::max(0, clampPx(g.height)));
}

QString Form1::text(TextBox box) const
{
    return textBox(box)->text();
}

void Form1::setText(TextBox box, const QString &text)
{
    textBox(box)->setText(text);
}

void Form1::setImeMode(TextBox box, int mode)
{
    // 3 switches the input method off: plain single-byte characters only.
    if (mode == 3) {
        textBox(box)->setAttribute(Qt::WA_InputMethodEnabled, false);
        textBox(box)->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    }
}

int Form1::comboIndex() const
{
    return Combo1->currentIndex();
}

void Form1::setComboIndex(int index)
{
    Combo1->setCurrentIndex(index >= 0 && index < Combo1->count() ? index : -1);
}

float Form1::innerWidth() const
{
    return static_cast<float>(width());
}

void Form1::setPixelScale()
{
    pixelScale_ = true; // every position is computed in pixels from here on
}

void Form1::clearDrawing()
{
    if (mirror_)
        mirror_->mirrorClear();
    if (circles_.empty())
        return;
    circles_.clear();
    update();
}

void Form1::drawDot(qint32 n, float x, float y, float radius, Colour colour)
{
    if (mirror_)
        mirror_->mirrorDot(n, colour);
    circles_.push_back({x, y, radius, colour});
    // Only the dot's own square is repainted: a tick never repaints the grid.
    const float r = std::fabs(radius) + 2.0f;
    const QRectF box(x - r, y - r, 2 * r, 2 * r);
    const QRect visible = box.toAlignedRect().intersected(rect());
    if (!visible.isEmpty())
        update(visible);
}

void Form1::setTimerInterval(int milliseconds)
{
    if (clock_)
        clock_->setInterval(milliseconds);
}

void Form1::setHelpFile(const QString &)
{
    // Nothing to keep: the engine opens the file it named on F1 (helpKey).
}

void Form1::sendHelpKey()
{
    QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier));
}

bool Form1::openDocument(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void Form1::notify(const QString &text)
{
    pendingNotices_ << text;
    // Shown without blocking: the clock must keep ticking behind the message.
    if (isVisible())
        QTimer::singleShot(0, this, [this] { showPendingNotices(); });
    emit noticeShown(text);
}

void Form1::setCandidatesApart(bool apart)
{
    if (apart == candidatesApart_)
        return;
    candidatesApart_ = apart;
    QTimer::singleShot(0, this, [this] { showPendingNotices(); });
}

bool Form1::holdsNotices() const
{
    // A box centred on the window would hide the dots and the banners from
    // the candidates; a paused or ended run has the operator's attention.
    return engine_ && !candidatesApart_ && engine_->runState() == RunState::Running;
}

void Form1::showPendingNotices(bool now)
{
    if (!isVisible())
        return; // shown with the window
    if (pendingNotices_.isEmpty() || (!now && holdsNotices())) {
        showStatusLine();
        return;
    }
    const QString text = pendingNotices_.join(QStringLiteral("\n\n"));
    pendingNotices_.clear();
    showStatusLine();
    if (noticeBox_ && noticeBox_->isVisible()) {
        noticeBox_->setText(noticeBox_->text() + QStringLiteral("\n\n") + text);
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Information, str(texts::noticeTitle), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowModality(Qt::NonModal);
    noticeBox_ = box;
    box->show();
}

FailedSaveChoice Form1::askAfterFailedSave(const QString &text, bool noCopy)
{
    QMessageBox box(QMessageBox::Warning, str(texts::saveFailedTitle), text, QMessageBox::NoButton, this);
    QPushButton *first = box.addButton(str(noCopy ? texts::saveWithoutCopy : texts::saveRetry), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(str(texts::saveDiscard), QMessageBox::DestructiveRole);
    // Esc, the title bar and the end of the program change nothing.
    QPushButton *back = box.addButton(str(texts::saveBack), QMessageBox::RejectRole);
    box.setDefaultButton(first);
    box.setEscapeButton(back);
    box.exec();
    if (box.clickedButton() == first)
        return noCopy ? FailedSaveChoice::OverwriteWithoutCopy : FailedSaveChoice::Retry;
    if (box.clickedButton() == discard)
        return FailedSaveChoice::CloseWithoutSaving;
    return FailedSaveChoice::BackToWindow;
}

// ---- FramePort ------------------------------------------------------------

QAction *Form1::addMenuAction(const QString &text, const QKeySequence &key)
{
    auto *action = new QAction(text, this);
    if (!key.isEmpty())
        action->setShortcut(key);
    addAction(action);
    return action;
}

void Form1::setStatusLine(const QString &text, bool alarm)
{
    statusText_ = text;
    statusAlarm_ = alarm;
    showStatusLine();
}

void Form1::showStatusLine()
{
    QString text = statusText_;
    const bool waiting = !pendingNotices_.isEmpty() && holdsNotices();
    if (waiting) {
        const QString first = pendingNotices_.first().section(u'\n', 0, 0);
        text = str(texts::noticesHeld).arg(pendingNotices_.size()).arg(first) +
               (text.isEmpty() ? QString() : QChar(u'\u3000') + text);
    }
    statusLine_->setText(QFontMetrics(statusLine_->font()).elidedText(text, Qt::ElideRight, statusLine_->width()));
    statusLine_->setToolTip(waiting ? pendingNotices_.join(QStringLiteral("\n\n")) : QString());
    QPalette p = statusLine_->palette();
    p.setColor(QPalette::WindowText, statusAlarm_ || waiting ? QColor(0xFF, 0x70, 0x30) : QColor(0xFF, 0xC0, 0x80));
    statusLine_->setPalette(p);
    statusLine_->setVisible(!text.isEmpty());
}

void Form1::setTitleSuffix(const QString &suffix)
{
    setWindowTitle(texts::windowCaption() + suffix);
}

void Form1::endProgram()
{
    ending_ = true;
    close();
    QCoreApplication::exit(0);
}

// ---- Events ---------------------------------------------------------------

void Form1::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (circles_.empty())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF area = event->rect();
    for (const Circle &c : circles_) {
        const float r = std::fabs(c.radius) + 1.0f;
        if (!area.intersects(QRectF(c.x - r, c.y - r, 2 * r, 2 * r)))
            continue;
        const QColor colour = toQColor(c.colour);
        p.setPen(QPen(colour, 1.0));
        p.setBrush(colour);
        p.drawEllipse(QPointF(c.x, c.y), c.radius, c.radius);
        if (access_ && access_->shapes())
            paintDotMark(p, QPointF(c.x, c.y), c.radius, c.colour);
    }
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (engine_ && pixelScale_)
        safely([this] { engine_->Form_Resize(); });
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!pendingNotices_.isEmpty())
        QTimer::singleShot(0, this, [this] { showPendingNotices(); });
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_F1:
        if (engine_)
            safely([this] { engine_->helpKey(); });
        return;
    case Qt::Key_F11:
        setWindowState(windowState() ^ Qt::WindowFullScreen);
        return;
    case Qt::Key_Escape:
        if (isFullScreen())
            setWindowState(windowState() & ~Qt::WindowFullScreen);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == statusLine_ && event->type() == QEvent::MouseButtonPress && !pendingNotices_.isEmpty()) {
        showPendingNotices(true);
        return true;
    }
    if (watched != Command1 || !startGuard_)
        return QWidget::eventFilter(watched, event);
    const auto refuse = [this](bool tell) {
        const QString why = startGuard_();
        if (!why.isEmpty() && tell)
            notify(why);
        return !why.isEmpty();
    };
    // A click or the key that presses the button: refused, and said so once.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: return refuse(true);
    case QEvent::MouseButtonRelease: return refuse(false);
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int k = key->key();
        if (k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Select)
            return refuse(event->type() == QEvent::KeyPress && !key->isAutoRepeat());
        break;
    }
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (ending_ || !engine_) {
        event->accept();
        return;
    }
    if (underWay(engine_->runState())) {
        // A stray click must not end an examination that cannot be repeated;
        // the clock keeps running while the question is open.
        const auto answer = QMessageBox::question(this, str(texts::confirmCloseTitle), str(texts::confirmClose),
                                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        emit runAborted();
    }
    event->accept(); // closing this way never saves
}

} // namespace tavrin
