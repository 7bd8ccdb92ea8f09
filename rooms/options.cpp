#include "options.h"

#include "private_broker.h"
#include "private_file.h"
#include "protocol.h"
#include "texts.h"

#include <QCommandLineParser>
#include <QFile>
#include <QSettings>

#include <sys/stat.h>

namespace tavrin::rooms {

namespace {

using texts::str;

QString key(const char *name)
{
    return QStringLiteral("rooms/") + QLatin1String(name);
}

QString roleName(Role r)
{
    switch (r) {
    case Role::Controller: return QStringLiteral("controller");
    case Role::Room: return QStringLiteral("room");
    default: return QStringLiteral("none");
    }
}

} // namespace

RoomsOptions loadOptions(const QString &path)
{
    RoomsOptions o;
    if (!QFile::exists(path))
        return o;
    QSettings s(path, QSettings::IniFormat);
    const QString role = s.value(key("role")).toString();
    o.role = role == QStringLiteral("controller") ? Role::Controller
           : role == QStringLiteral("room")       ? Role::Room
                                                  : Role::None;
    o.exam = s.value(key("exam")).toString();
    o.room = s.value(key("room")).toString();
    o.broker.host = s.value(key("host")).toString();
    bool ok = false;
    const int port = s.value(key("port"), 1883).toInt(&ok);
    o.broker.port = ok && port >= 1 && port <= 65535 ? port : 1883;
    o.broker.user = s.value(key("user")).toString();
    o.broker.password = s.value(key("password")).toString();
    o.broker.tls = s.value(key("tls"), false).toBool();
    o.broker.caFile = s.value(key("cafile")).toString();
    o.broker.certFile = s.value(key("certfile")).toString();
    o.broker.keyFile = s.value(key("keyfile")).toString();
    o.broker.tlsInsecure = s.value(key("insecure"), false).toBool();
    o.privateBroker = s.value(key("private"), false).toBool();
    o.passphrase = s.value(key("passphrase")).toString();
    // Settings that cannot work are no settings: the program runs alone.
    if (!validName(o.exam) || (o.role == Role::Room && !validName(o.room)) ||
        (o.broker.host.isEmpty() && !o.privateBroker))
        o.role = Role::None;
    if (o.privateBroker && o.broker.host.isEmpty())
        o.broker.host = QStringLiteral("127.0.0.1");
    return o;
}

PrivateBrokerOptions loadPrivateBrokerOptions(const QString &path)
{
    PrivateBrokerOptions o;
    if (!QFile::exists(path))
        return o;
    QSettings s(path, QSettings::IniFormat);
    o.addresses = s.value(key("listen")).toStringList();
    o.rooms = s.value(key("rooms")).toStringList();
    o.certFile = s.value(key("servercert")).toString();
    o.keyFile = s.value(key("serverkey")).toString();
    return o;
}

QString saveOptions(const QString &path, const RoomsOptions &o, const PrivateBrokerOptions &b)
{
    // QSettings writes through a file saved beside it that takes the mode
    // of the one it replaces, and follows a link: both settled first.
    const PrivateFile file = securePrivateFile(path, true);
    if (file.status != PrivateFile::Ok || (file.wasOpen && !file.tightened))
        return str(texts::roomsSaveFailed).arg(path) + u'\n' +
               str(file.status == PrivateFile::Symlink ? texts::privateFileSymlink : texts::privateFileNotPrivate);
    {
        QSettings s(path, QSettings::IniFormat);
        s.setValue(key("role"), roleName(o.role));
        s.setValue(key("exam"), o.exam);
        s.setValue(key("room"), o.room);
        s.setValue(key("host"), o.broker.host);
        s.setValue(key("port"), o.broker.port);
        s.setValue(key("user"), o.broker.user);
        s.setValue(key("password"), o.broker.password);
        s.setValue(key("tls"), o.broker.tls);
        s.setValue(key("cafile"), o.broker.caFile);
        s.setValue(key("certfile"), o.broker.certFile);
        s.setValue(key("keyfile"), o.broker.keyFile);
        s.setValue(key("insecure"), o.broker.tlsInsecure);
        s.setValue(key("private"), o.privateBroker);
        s.setValue(key("passphrase"), o.passphrase);
        s.setValue(key("listen"), b.addresses);
        s.setValue(key("rooms"), b.rooms);
        s.setValue(key("servercert"), b.certFile);
        s.setValue(key("serverkey"), b.keyFile);
        s.sync();
        if (s.status() != QSettings::NoError)
            return str(texts::roomsSaveFailed).arg(path);
    }
    return {};
}

QString optionsFileNotice(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 077) == 0)
        return {};
    const QSettings s(path, QSettings::IniFormat);
    if (s.value(key("password")).toString().isEmpty() && s.value(key("passphrase")).toString().isEmpty())
        return {};
    const PrivateFile f = securePrivateFile(path, false);
    return str(f.tightened ? texts::optionsWereOpen : texts::optionsAreOpen).arg(path);
}

BrokerSettings loginFor(const RoomsOptions &o)
{
    BrokerSettings b = o.broker;
    if (!o.passphrase.isEmpty() && b.user.isEmpty() && b.password.isEmpty()) {
        b.user = o.role == Role::Room ? o.room : QString::fromLatin1(kControllerUser);
        b.password = brokerPassword(o.passphrase, o.exam, b.user);
    }
    return b;
}

QString readKeyFile(const QString &path, QString &passphrase)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return str(texts::keyFileUnreadable).arg(path, f.errorString());
    struct stat st {};
    if (::fstat(f.handle(), &st) != 0 || !S_ISREG(st.st_mode))
        return str(texts::keyFileUnreadable).arg(path, str(texts::privateFileNotAFile));
    // Like an SSH key: one that others can read is no longer a secret, and
    // the operator had better learn it before the examination.
    if ((st.st_mode & 077) != 0)
        return str(texts::keyFileOpen).arg(path);
    const QByteArray head = f.read(kMaxPassphraseBytes + 2);
    QByteArray line = head.left(head.indexOf('\n'));
    if (line.endsWith('\r'))
        line.chop(1);
    const QString key = QString::fromUtf8(line).trimmed();
    if (key.isEmpty() || line.size() > kMaxPassphraseBytes)
        return str(texts::keyFileBad).arg(path).arg(kMaxPassphraseBytes);
    passphrase = key;
    return {};
}

void addCommandLineOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(str(texts::cliDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("exam"), str(texts::cliExam), str(texts::cliName)});
    parser.addOption({QStringLiteral("room"), str(texts::cliRoom), str(texts::cliName)});
    parser.addOption({QStringLiteral("broker"), str(texts::cliBroker), str(texts::cliHostPort)});
    parser.addOption({QStringLiteral("private-broker"), str(texts::cliPrivateBroker)});
    parser.addOption({QStringLiteral("key-file"), str(texts::cliKeyFile), str(texts::cliFile)});
    parser.addOption({QStringLiteral("start-at"), str(texts::cliStartAt), str(texts::cliTime)});
}

bool parseHostPort(const QString &text, QString &host, int &port)
{
    QString h = text.trimmed();
    QString p;
    if (h.startsWith(u'[')) {
        const qsizetype close = h.indexOf(u']');
        if (close < 0)
            return false;
        const QString rest = h.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return false;
        p = rest.mid(1);
        h = h.mid(1, close - 1);
    } else if (h.count(u':') == 1) {
        p = h.section(u':', 1);
        h = h.section(u':', 0, 0);
    }
    if (h.isEmpty())
        return false;
    int value = port;
    if (!p.isEmpty()) {
        bool ok = false;
        value = p.toInt(&ok);
        if (!ok || value < 1 || value > 65535)
            return false;
    }
    host = h;
    port = value;
    return true;
}

QString applyCommandLine(const QCommandLineParser &parser, RoomsOptions &options)
{
    const bool exam = parser.isSet(QStringLiteral("exam"));
    const bool broker = parser.isSet(QStringLiteral("broker"));
    const bool room = parser.isSet(QStringLiteral("room"));
    RoomsOptions o = options;
    // The key only from a file: a command line is read by anyone on the PC.
    if (parser.isSet(QStringLiteral("key-file")))
        if (const QString e = readKeyFile(parser.value(QStringLiteral("key-file")), o.passphrase); !e.isEmpty())
            return e;
    if (!exam && !broker && !room && !parser.isSet(QStringLiteral("private-broker"))) {
        options = o;
        return {};
    }
    if (!exam || !broker)
        return str(texts::cliNeedBoth);
    o.exam = parser.value(QStringLiteral("exam"));
    if (!validName(o.exam))
        return str(texts::cliBadName).arg(o.exam);
    o.role = room ? Role::Room : Role::Controller;
    if (room) {
        o.room = parser.value(QStringLiteral("room"));
        if (!validName(o.room))
            return str(texts::cliBadName).arg(o.room);
    }
    o.broker.port = 1883;
    const QString where = parser.value(QStringLiteral("broker"));
    if (!parseHostPort(where, o.broker.host, o.broker.port))
        return str(texts::cliBadPort).arg(where);
    o.privateBroker = !room && parser.isSet(QStringLiteral("private-broker"));
    options = o;
    return {};
}

} // namespace tavrin::rooms
