#include "options.h"

#include "options_file.h"
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

const QString kGroup = QStringLiteral("rooms");

QString key(const char *name)
{
    return kGroup + u'/' + QLatin1String(name);
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
    waitForOptionWrites();
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
    waitForOptionWrites();
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

namespace {

OptionValues optionValues(const RoomsOptions &o, const PrivateBrokerOptions &b)
{
    return {{QStringLiteral("role"), roleName(o.role)},
            {QStringLiteral("exam"), o.exam},
            {QStringLiteral("room"), o.room},
            {QStringLiteral("host"), o.broker.host},
            {QStringLiteral("port"), o.broker.port},
            {QStringLiteral("user"), o.broker.user},
            {QStringLiteral("password"), o.broker.password},
            {QStringLiteral("tls"), o.broker.tls},
            {QStringLiteral("cafile"), o.broker.caFile},
            {QStringLiteral("certfile"), o.broker.certFile},
            {QStringLiteral("keyfile"), o.broker.keyFile},
            {QStringLiteral("insecure"), o.broker.tlsInsecure},
            {QStringLiteral("private"), o.privateBroker},
            {QStringLiteral("passphrase"), o.passphrase},
            {QStringLiteral("listen"), b.addresses},
            {QStringLiteral("rooms"), b.rooms},
            {QStringLiteral("servercert"), b.certFile},
            {QStringLiteral("serverkey"), b.keyFile}};
}

QString refusedNotice(const QString &notice)
{
    return notice.isEmpty() ? notice : notice + u'\n' + str(texts::roomsSaveFailed);
}

} // namespace

QString saveOptions(const QString &path, const RoomsOptions &o, const PrivateBrokerOptions &b)
{
    return refusedNotice(writeOptions(path, kGroup, optionValues(o, b)));
}

void saveOptionsLater(const QString &path, const RoomsOptions &o, const PrivateBrokerOptions &b, QObject *context,
                      std::function<void(const QString &)> done)
{
    writeOptionsLater(path, kGroup, optionValues(o, b), context,
                      [done = std::move(done)](const QString &notice) { done(refusedNotice(notice)); });
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
