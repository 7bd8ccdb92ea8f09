#include "web_options.h"

#include "options_file.h"
#include "texts.h"

#include <QCommandLineParser>
#include <QSettings>

namespace tavrin::web {

namespace {
const QString kGroup = QStringLiteral("web");
const QString kPort = QStringLiteral("port");
const QString kAddress = QStringLiteral("address");
const QString kOption = QStringLiteral("web");

bool readPort(const QString &text, int &port)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1 || value > 65535)
        return false;
    port = value;
    return true;
}
} // namespace

WebOptions loadOptions(const QString &path)
{
    waitForOptionWrites();
    QSettings ini(path, QSettings::IniFormat);
    WebOptions o;
    readPort(ini.value(kGroup + u'/' + kPort).toString(), o.port);
    for (const QString &a : ini.value(kGroup + u'/' + kAddress).toStringList())
        if (!a.trimmed().isEmpty())
            o.addresses << a.trimmed();
    return o;
}

QString saveOptions(const QString &path, const WebOptions &options)
{
    return writeOptions(path, kGroup, {{kPort, options.port}});
}

void saveOptionsLater(const QString &path, const WebOptions &options, QObject *context,
                      std::function<void(const QString &notice)> done)
{
    writeOptionsLater(path, kGroup, {{kPort, options.port}}, context, std::move(done));
}

void addCommandLineOptions(QCommandLineParser &parser)
{
    // A flag: a value of its own would make the port compulsory. The port
    // that follows it is read from the arguments themselves.
    parser.addOption({kOption, texts::str(texts::cliWeb)});
}

QString applyCommandLine(const QCommandLineParser &parser, const QStringList &arguments, WebOptions &options)
{
    if (!parser.isSet(kOption))
        return {};
    WebOptions o = options;
    o.on = true;
    const qsizetype at = arguments.indexOf(QStringLiteral("--web"));
    if (at >= 0 && at + 1 < arguments.size() && !arguments[at + 1].startsWith(u'-')) {
        if (!readPort(arguments[at + 1], o.port))
            return texts::str(texts::cliBadPort).arg(arguments[at + 1]);
    }
    options = o;
    return {};
}

} // namespace tavrin::web
