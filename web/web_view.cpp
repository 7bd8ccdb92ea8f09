#include "web_view.h"

#include "access.h"
#include "engine.h"
#include "frame_port.h"
#include "language.h"
#include "phase_timer.h"
#include "ports.h"
#include "room_display.h"
#include "texts.h"

#include <QAction>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkInterface>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <qrencode.h>

#include "programme_json.h"

namespace tavrin::web {

using texts::str;

namespace {

QJsonObject runObject(const Engine &engine, const RoomDisplay &room, const QString &countdown, const Access *access)
{
    const ExamState &st = engine.state();
    const RunSnapshot snap = engine.snapshot();
    QJsonObject o{
        {QStringLiteral("time1"), st.time1.value()},   {QStringLiteral("time2"), st.time2.value()},
        {QStringLiteral("cycle"), st.cycle.value()},   {QStringLiteral("tamasu"), st.tamasu.value()},
        {QStringLiteral("fk"), double(st.fk)},         {QStringLiteral("sw"), st.sw.value()},
        {QStringLiteral("ck"), st.ck.value()},         {QStringLiteral("t"), st.t.value()},
        {QStringLiteral("question"), snap.question},   {QStringLiteral("move"), snap.moveBanner},
        {QStringLiteral("end"), snap.endBanner},       {QStringLiteral("message1"), st.message1},
        {QStringLiteral("message2"), st.message2},     {QStringLiteral("secondsLeft"), room.secondsLeftShown()},
        {QStringLiteral("countdown"), countdown},
        {QStringLiteral("shapes"), access && access->shapes()},
        {QStringLiteral("cuesSeen"), access && access->cuesSeen()},
    };
    // A programme's run: the page ticks through its parts as the engine
    // does, with each banner's text filled in as the window shows it.
    if (!snap.plan.parts.empty()) {
        Programme plan = snap.plan;
        for (Part &p : plan.parts) {
            if (p.banner.isEmpty())
                p.banner = str(texts::breakBanner);
            if (p.readingBanner.isEmpty())
                p.readingBanner = str(texts::readingBanner);
        }
        o.insert(QStringLiteral("plan"), programmeJson(plan));
        o.insert(QStringLiteral("part"), snap.part);
        o.insert(QStringLiteral("lead"), snap.lead);
        o.insert(QStringLiteral("leadText"), engine.leadCaption());
    }
    return o;
}

QByteArray compact(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace

WebView::WebView(Engine &engine, FramePort &frame, const PhaseTimer &clock, const RoomDisplay &room,
                 const QString &optionsPath)
    : QObject(frame.dialogParent()), engine_(engine), frame_(frame), clock_(clock), room_(room), optionsPath_(optionsPath),
      options_(loadOptions(optionsPath)), server_(QDir::currentPath())
{
    server_.setHello(compact({{QStringLiteral("t"), QStringLiteral("hello")},
                              // The window sounds a tick's cue this long after its second.
                              {QStringLiteral("cueDelay"), kCueDelayMs},
                              {QStringLiteral("texts"),
                               QJsonObject{{QStringLiteral("suffix"), str(texts::label16)},
                                           {QStringLiteral("secondsLeft"), str(texts::secondsLeft)},
                                           {QStringLiteral("offset"), str(texts::webOffset)},
                                           {QStringLiteral("lost"), str(texts::webLost)},
                                           {QStringLiteral("tap"), str(texts::webTap)},
                                           {QStringLiteral("lead"), str(texts::leadCountdown)},
                                           {QStringLiteral("lang"), language::current()}}}}));
    // What changes without an event of the run (the seconds left chosen on
    // the menu) reaches the pages within a second.
    auto *watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] {
        if (isOn() && compact(runObject(engine_, room_, countdown_, access_)) != lastRun_)
            publish();
    });
    watch->start(1000);
}

QByteArray WebView::stateMessage() const
{
    // The tick before the next one on the window's own grid: the run stands
    // as that tick (and any act of the operator since) left it.
    const PhaseTimer *timer = &clock_;
    const int period = timer->interval() > 0 ? timer->interval() : 1000;
    return compact({{QStringLiteral("t"), QStringLiteral("state")},
                    {QStringLiteral("due"), double(timer->nextDueWallMs() - period)},
                    {QStringLiteral("s"), runObject(engine_, room_, countdown_, access_)}});
}

void WebView::setAccess(const Access *access)
{
    access_ = access;
    if (!access)
        return;
    auto changed = [this] {
        if (isOn())
            publish();
    };
    connect(access, &Access::shapesChanged, this, changed);
    connect(access, &Access::cuesSeenChanged, this, changed);
}

void WebView::publish()
{
    lastRun_ = compact(runObject(engine_, room_, countdown_, access_));
    server_.publishState(stateMessage());
}

void WebView::setCountdown(const QString &caption)
{
    if (caption == countdown_)
        return;
    countdown_ = caption;
    if (isOn())
        publish();
}

void WebView::runEvent(const RunEvent &event, const ExamState &)
{
    if (!isOn())
        return;
    // The chime of a time entry is not on the tick's grid: the pages play it
    // when told. The other cues they work out from the run, on the grid.
    if (event.kind == RunEventKind::Cue && event.player == 4)
        server_.publishEvent(compact({{QStringLiteral("t"), QStringLiteral("cue")}, {QStringLiteral("p"), 4}}));
    if (event.kind != RunEventKind::Cue)
        publish();
}

bool WebView::setOn(bool on)
{
    if (on == isOn())
        return true;
    if (!on) {
        server_.stop();
        emit onChanged(false);
        return true;
    }
    QString bad;
    const QList<QHostAddress> where = listenAddresses(options_.addresses, bad);
    if (!bad.isEmpty()) {
        frame_.notify(str(texts::webBadAddress).arg(bad, QDir::toNativeSeparators(optionsPath_)));
        emit onChanged(false);
        return false;
    }
    const QString why = server_.start(where, static_cast<quint16>(options_.port));
    if (!isOn()) {
        frame_.notify(str(texts::webNotStarted)
                           .arg(options_.port)
                           .arg(why, QDir::toNativeSeparators(optionsPath_)));
        emit onChanged(false);
        return false;
    }
    publish();
    saveOptionsLater(optionsPath_, options_, this, [this](const QString &e) {
        if (!e.isEmpty())
            frame_.notify(e + u'\n' + str(texts::optionsKeptForNow));
    });
    emit onChanged(true);
    return true;
}

QStringList WebView::addresses() const
{
    QStringList lan, loopback;
    for (const QHostAddress &a : server_.addresses()) {
        // Served on every address: the ones of this machine's interfaces.
        const bool any = a == QHostAddress::Any || a == QHostAddress::AnyIPv4 || a == QHostAddress::AnyIPv6;
        for (const QHostAddress &ip : any ? QNetworkInterface::allAddresses() : QList<QHostAddress>{a}) {
            if (any && ip.protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            (ip.isLoopback() ? loopback : lan) << server_.origin(ip) + u'/';
        }
    }
    return lan.isEmpty() ? loopback : lan;
}

QImage qrImage(const QString &text, int modulePixels)
{
    const QByteArray utf8 = text.toUtf8();
    QRcode *code = QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return {};
    constexpr int quiet = 4;
    const int side = (code->width + 2 * quiet) * modulePixels;
    QImage img(side, side, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                for (int dy = 0; dy < modulePixels; ++dy)
                    for (int dx = 0; dx < modulePixels; ++dx)
                        img.setPixel((x + quiet) * modulePixels + dx, (y + quiet) * modulePixels + dy, 0xff000000);
    QRcode_free(code);
    return img;
}

void WebView::showAddress()
{
    if (!dialog_) {
        dialog_ = new QDialog(frame_.dialogParent());
        dialog_->setWindowTitle(str(texts::webDialogTitle));
        dialog_->setObjectName(QStringLiteral("webAddress"));
        new QVBoxLayout(dialog_);
        dialog_->setMinimumWidth(420);
    }
    QLayout *layout = dialog_->layout();
    while (QLayoutItem *item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    auto addText = [&](const QString &text, int pixels) {
        auto *l = new QLabel(text, dialog_);
        // The address in one piece, the explanations wrapped.
        l->setWordWrap(pixels < 20);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont f = l->font();
        f.setPixelSize(pixels);
        l->setFont(f);
        layout->addWidget(l);
    };
    if (!isOn()) {
        addText(str(texts::webDialogOff), 14);
    } else {
        addText(str(texts::webDialogOn), 14);
        const QStringList urls = addresses();
        const QList<QHostAddress> served = server_.addresses();
        if (std::all_of(served.begin(), served.end(), [](const QHostAddress &a) { return a.isLoopback(); }))
            addText(str(texts::webNoNetwork), 14);
        for (const QString &url : urls) {
            addText(url, 24);
            auto *qr = new QLabel(dialog_);
            qr->setPixmap(QPixmap::fromImage(qrImage(url, 6)));
            layout->addWidget(qr);
        }
        addText(str(texts::webPages).arg(server_.pages()), 12);
    }
    dialog_->adjustSize();
    dialog_->show();
    dialog_->raise();
}

void WebView::addActions()
{
    QAction *on = frame_.addMenuAction(str(texts::webShow), QKeySequence(Qt::Key_F10));
    on->setCheckable(true);
    on->setChecked(isOn());
    connect(on, &QAction::triggered, this, [this](bool checked) {
        if (setOn(checked) && checked)
            showAddress();
    });
    connect(this, &WebView::onChanged, on, &QAction::setChecked);
    QAction *address = frame_.addMenuAction(str(texts::webAddressItem));
    connect(address, &QAction::triggered, this, &WebView::showAddress);
}

WebView *attach(Engine &engine, FramePort &frame, const PhaseTimer &clock, const RoomDisplay &room,
                const QString &optionsPath, const QCommandLineParser &parser)
{
    auto *view = new WebView(engine, frame, clock, room, optionsPath);
    engine.addObserver(view);
    view->addActions();
    WebOptions options = loadOptions(optionsPath);
    if (const QString refused = applyCommandLine(parser, QCoreApplication::arguments(), options); !refused.isEmpty())
        frame.notify(str(texts::webCliRefused).arg(refused));
    view->setPort(options.port);
    if (options.on)
        view->setOn(true);
    return view;
}

} // namespace tavrin::web
