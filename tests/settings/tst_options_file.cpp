#include "locked_folder.h"
#include "options_file.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

using namespace tavrin;

namespace {

const QByteArray kOld = "[display]\nscreen=HDMI-1\n";

mode_t modeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

class TestOptionsFile : public QObject {
    Q_OBJECT
private slots:
    void oneRule_data();
    void oneRule();
    void lockedFolder();
    void laterKeepsOrder();
};

void TestOptionsFile::oneRule_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("told"); // a part of the notice
    QTest::newRow("none yet") << "none" << true << "";
    QTest::newRow("ours, open to others") << "open" << true << "";
    QTest::newRow("a link to a file") << "link" << false << "シンボリックリンク";
    QTest::newRow("a link to nowhere") << "dangling" << false << "シンボリックリンク";
    QTest::newRow("a folder") << "folder" << false << "ふつうのファイルではありません";
    QTest::newRow("a FIFO") << "fifo" << false << "ふつうのファイルではありません";
    QTest::newRow("another user's") << "theirs" << false << "持ち主が別のユーザー";
    QTest::newRow("far too large") << "huge" << false << "形式が正しくありません";
}

// Written owner-only, in one step, beside the other groups; whatever is
// not a plain file of ours is left as it is and the operator is told.
void TestOptionsFile::oneRule()
{
    QFETCH(QString, before);
    QFETCH(bool, written);
    QFETCH(QString, told);
    QTemporaryDir dir;
    const QString path = dir.filePath("Tavrin-options.ini"), target = dir.filePath("elsewhere");
    QFile old(before == "link" ? target : path);
    if (before == "open" || before == "link" || before == "theirs" || before == "huge") {
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(before == "huge" ? QByteArray(2 << 20, '#') : kOld);
        old.close();
        QVERIFY(old.setPermissions(QFile::Permissions(0x6644)));
    }
    if (before == "link" || before == "dangling")
        QVERIFY(QFile::link(target, path));
    if (before == "folder")
        QVERIFY(QDir(dir.path()).mkdir("Tavrin-options.ini"));
    if (before == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (before == "theirs" && (::geteuid() != 0 || ::chown(QFile::encodeName(path).constData(), 65534, 65534) != 0))
        QSKIP("needs root to give the file to another user");

    const QString notice = writeOptions(path, "rooms", {{"exam", "E"}, {"port", 1883}});
    QCOMPARE(notice.isEmpty(), written);
    QVERIFY(notice.contains(told));
    if (written) {
        QCOMPARE(modeOf(path), mode_t(0600));
        const QSettings s(path, QSettings::IniFormat);
        QCOMPARE(s.value("rooms/exam").toString(), QString("E"));
        QCOMPARE(s.value("display/screen").toString(), QString(before == "open" ? "HDMI-1" : ""));
    } else if (before == "link") {
        QVERIFY(QFileInfo(path).isSymLink());
        QFile t(target);
        QVERIFY(t.open(QIODevice::ReadOnly));
        QCOMPARE(t.readAll(), kOld);
    }
    // Nothing half-made is left beside it.
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
    QCOMPARE(left.size(), before == "link" ? 2 : 1);
}

// A folder that takes no new file: the file there stays whole and the
// operator is told to make the folder writable.
void TestOptionsFile::lockedFolder()
{
    testing::LockedFolder folder;
    folder.put("Tavrin-options.ini", kOld);
    folder.lock();
    if (!folder.holds())
        QSKIP("the folder cannot be locked here");
    const QString path = QDir(folder.path()).filePath("Tavrin-options.ini");
    QVERIFY(writeOptions(path, "web", {{"port", 8800}}).contains("書き込めるか確かめてください"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), kOld);
    QCOMPARE(folder.entries(), QStringList{"Tavrin-options.ini"});
}

// Writes asked for off the UI thread land in the order asked, and each
// answer comes back on the UI thread.
void TestOptionsFile::laterKeepsOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Tavrin-options.ini");
    QList<QString> answers;
    for (int port = 1; port <= 20; ++port)
        writeOptionsLater(path, port % 2 ? "web" : "display", {{"port", port}}, this, [&answers](const QString &notice) {
            QCOMPARE(QThread::currentThread(), QCoreApplication::instance()->thread());
            answers << notice;
        });
    waitForOptionWrites();
    const QSettings s(path, QSettings::IniFormat);
    QCOMPARE(s.value("web/port").toInt(), 19);
    QCOMPARE(s.value("display/port").toInt(), 20);
    QTRY_COMPARE(answers.size(), 20);
    QCOMPARE(answers.count(QString()), 20);
}

QTEST_GUILESS_MAIN(TestOptionsFile)
#include "tst_options_file.moc"
