#pragma once

// The screens of the offscreen platform, changed while a test runs as a
// desktop changes them when a projector is plugged in, unplugged or set to
// another resolution: Qt sees screens added, removed and resized.

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QRect>
#include <qpa/qplatformnativeinterface.h>

namespace tavrin::testing {

struct FakeScreen {
    QString name;
    QRect geometry;
};

// False where the platform is not the offscreen one, or does not take it.
inline bool setScreens(const QList<FakeScreen> &screens)
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    if (!native || QGuiApplication::platformName() != QLatin1String("offscreen"))
        return false;
    using Get = QJsonObject (*)(QPlatformNativeInterface *);
    using Set = void (*)(const QJsonObject &, QPlatformNativeInterface *);
    auto get = reinterpret_cast<Get>(reinterpret_cast<quintptr>(native->nativeResourceForIntegration("configuration")));
    auto set = reinterpret_cast<Set>(reinterpret_cast<quintptr>(native->nativeResourceForIntegration("setConfiguration")));
    if (!get || !set)
        return false;
    QJsonObject config = get(native);
    QJsonArray list;
    for (const FakeScreen &s : screens)
        list.append(QJsonObject{{u"name"_qs, s.name}, {u"x"_qs, s.geometry.x()}, {u"y"_qs, s.geometry.y()},
                                {u"width"_qs, s.geometry.width()}, {u"height"_qs, s.geometry.height()}});
    config[u"screens"_qs] = list;
    set(config, native);
    QCoreApplication::processEvents();
    return true;
}

} // namespace tavrin::testing
