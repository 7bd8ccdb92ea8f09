#include "private_broker.h"

#include <QFile>
#include <QStandardPaths>

namespace tavrin::rooms {

namespace {

QString findProgram(const QString &name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty()) // Debian keeps the broker in sbin, off a user's PATH
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    return path;
}

} // namespace

PrivateBroker::PrivateBroker(QObject *parent) : QObject(parent)
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
    connect(&process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus) {
        const QString out = QString::fromLocal8Bit(process_.readAll()).trimmed();
        if (!out.contains(QStringLiteral("Address already in use")))
            emit failed(out.isEmpty() ? QStringLiteral("exit code %1").arg(code) : out.section(u'\n', -1));
    });
}

PrivateBroker::~PrivateBroker()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000))
        process_.kill();
    process_.waitForFinished(1000);
}

QString PrivateBroker::start(int port, const QString &user, const QString &password)
{
    const QString mosquitto = findProgram(QStringLiteral("mosquitto"));
    if (mosquitto.isEmpty())
        return QStringLiteral("mosquitto not found");
    if (!dir_.isValid())
        return dir_.errorString();
    port_ = port;
    QByteArray conf = "listener " + QByteArray::number(port) + "\n"
                      "persistence false\n"
                      "log_dest stderr\n"
                      "log_type error\n";
    if (user.isEmpty()) {
        conf += "allow_anonymous true\n";
    } else {
        const QString tool = findProgram(QStringLiteral("mosquitto_passwd"));
        const QString file = dir_.filePath(QStringLiteral("passwords"));
        QProcess p;
        p.start(tool, {QStringLiteral("-b"), QStringLiteral("-c"), file, user, password});
        if (tool.isEmpty() || !p.waitForFinished(5000) || p.exitCode() != 0)
            return QStringLiteral("mosquitto_passwd failed");
        conf += "allow_anonymous false\npassword_file " + file.toLocal8Bit() + "\n";
    }
    const QString confPath = dir_.filePath(QStringLiteral("mosquitto.conf"));
    QFile f(confPath);
    if (!f.open(QIODevice::WriteOnly) || f.write(conf) != conf.size())
        return f.errorString();
    f.close();
    process_.start(mosquitto, {QStringLiteral("-c"), confPath});
    if (!process_.waitForStarted(3000))
        return process_.errorString();
    return {};
}

} // namespace tavrin::rooms
