#include "options.h"

#include "identity.h"
#include "join_file.h"
#include "off_ui_thread.h"
#include "options_file.h"
#include "private_broker.h"
#include "private_file.h"
#include "protocol.h"
#include "texts.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    o.keyFile = s.value(key("examkey")).toString();
    // An old version kept these here; read for this run, dropped at the next write.
    o.passphrase = s.value(key("passphrase")).toString();
    o.keyFromPassphrase = s.value(key("typedkey"), false).toBool() || !o.passphrase.isEmpty();
    if (o.broker.password.isEmpty() && !o.broker.user.isEmpty()) {
        QByteArray secret;
        if (readSecretFile(besideOptions(path, kBrokerPasswordFile), 1024, secret).kind == SecretFileError::None)
            o.broker.password = QString::fromUtf8(secret.trimmed());
    }
    // A room that came from a join file takes it again, as it is now.
    if (const QString join = s.value(key("join")).toString(); !join.isEmpty() && o.role == Role::Room) {
        RoomsOptions joined = o;
        if (applyJoinFile(join, joined).isEmpty())
            o = joined;
        else
            o.role = Role::None; // told when the operator opens the set-up, or at --join
        o.joinFile = join;
    }
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
            {QStringLiteral("user"), o.joinFile.isEmpty() ? o.broker.user : QString()},
            {QStringLiteral("password"), QVariant()},
            {QStringLiteral("tls"), o.broker.tls},
            {QStringLiteral("cafile"), o.broker.caFile},
            {QStringLiteral("certfile"), o.broker.certFile},
            {QStringLiteral("keyfile"), o.broker.keyFile},
            {QStringLiteral("insecure"), o.broker.tlsInsecure},
            {QStringLiteral("private"), o.privateBroker},
            {QStringLiteral("passphrase"), QVariant()},
            {QStringLiteral("examkey"), o.keyFile},
            {QStringLiteral("typedkey"), o.role == Role::Controller && o.keyFromPassphrase},
            {QStringLiteral("join"), o.joinFile},
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

namespace {

// Another broker's password, in a file of its own; empty, or the notice.
QString saveBrokerPassword(const QString &path, const RoomsOptions &o)
{
    const QString file = besideOptions(path, kBrokerPasswordFile);
    if (!o.joinFile.isEmpty() || o.broker.password.isEmpty())
        return QFile::exists(file) && !QFile::remove(file) ? refusedNotice(str(texts::secretNotRemoved).arg(file))
                                                           : QString();
    if (const QString e = writeSecretFile(file, o.broker.password.toUtf8()); !e.isEmpty())
        return refusedNotice(str(texts::brokerLoginsNotWritten).arg(file, e));
    return {};
}

} // namespace

QString saveOptions(const QString &path, const RoomsOptions &o, const PrivateBrokerOptions &b)
{
    if (const QString e = saveBrokerPassword(path, o); !e.isEmpty())
        return e;
    return refusedNotice(writeOptions(path, kGroup, optionValues(o, b)));
}

void saveOptionsLater(const QString &path, const RoomsOptions &o, const PrivateBrokerOptions &b, QObject *context,
                      std::function<void(const QString &)> done)
{
    // The small secret file, then the options, both off the UI thread.
    offUiThread(
        context, [path, o] { return saveBrokerPassword(path, o); },
        [path, o, b, context, done = std::move(done)](const QString &first) {
            if (!first.isEmpty()) {
                done(first);
                return;
            }
            writeOptionsLater(path, kGroup, optionValues(o, b), context,
                              [done](const QString &notice) { done(refusedNotice(notice)); });
        });
}

QString optionsFileNotice(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    const QSettings s(path, QSettings::IniFormat);
    if (s.value(key("password")).toString().isEmpty() && s.value(key("passphrase")).toString().isEmpty())
        return {};
    const QString dropped = str(texts::joinWrongOptionsSecret).arg(path);
    if ((st.st_mode & 077) == 0)
        return dropped;
    const PrivateFile f = securePrivateFile(path, false);
    return str(f.tightened ? texts::optionsWereOpen : texts::optionsAreOpen).arg(path) + u'\n' + dropped;
}

BrokerSettings loginFor(const RoomsOptions &o)
{
    return o.broker;
}

QString besideOptions(const QString &optionsFile, const char *name)
{
    return QFileInfo(optionsFile).dir().filePath(QString::fromLatin1(name));
}

QString applyJoinFile(const QString &path, RoomsOptions &options)
{
    QString why;
    const std::optional<JoinFile> j = loadJoinFile(path, &why);
    if (!j)
        return why;
    RoomsOptions &o = options;
    o.role = Role::Room;
    o.exam = j->exam;
    o.room = j->room;
    o.examPublicKey = j->examKey;
    o.broker = {};
    o.broker.host = j->host;
    o.broker.port = j->port;
    o.broker.user = j->user;
    o.broker.password = j->password;
    o.broker.tlsPin = j->tlsPin;
    o.broker.tls = !j->tlsPin.isEmpty();
    o.privateBroker = false;
    o.passphrase.clear(); // a room holds nothing that signs as the controller
    o.keyFile.clear();
    o.joinFile = QFileInfo(path).absoluteFilePath();
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
    parser.addOption({QStringLiteral("join"), str(texts::cliJoin), str(texts::cliFile)});
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
    // A join file says everything a room needs.
    if (parser.isSet(QStringLiteral("join"))) {
        if (exam || broker || room || parser.isSet(QStringLiteral("private-broker")) ||
            parser.isSet(QStringLiteral("key-file")))
            return str(texts::cliJoinAlone);
        if (const QString e = applyJoinFile(parser.value(QStringLiteral("join")), o); !e.isEmpty())
            return e;
        options = o;
        return {};
    }
    // The key only from a file: a command line is read by anyone on the PC.
    // The file itself is read (or made) off the UI thread, at the start.
    if (parser.isSet(QStringLiteral("key-file")))
        o.keyFile = QFileInfo(parser.value(QStringLiteral("key-file"))).absoluteFilePath();
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
    o.joinFile.clear();
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
