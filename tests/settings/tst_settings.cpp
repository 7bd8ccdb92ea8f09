#include "locked_folder.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace tavrin;

struct Values {
    int time1, time2, cycle, tamasu, fkc;
};
Q_DECLARE_METATYPE(Values)

namespace {

// The default banners in Shift-JIS, as the file holds them.
const QByteArray kMsg1 = QByteArray::fromHex("88DA93AE82B582C482AD82BE82B382A2");
const QByteArray kMsg2 = QByteArray::fromHex("8E8E8CB18F4997B9");

QByteArray lines(const QList<QByteArray> &ls, const QByteArray &eol = "\r\n", bool finalEol = true)
{
    QByteArray out;
    for (qsizetype i = 0; i < ls.size(); ++i) {
        out += ls[i];
        if (i + 1 < ls.size() || finalEol)
            out += eol;
    }
    return out;
}

// The eight lines of the default file, the first one replaced.
QList<QByteArray> std8(const QByteArray &line1 = "30,5,40")
{
    return {line1, "Tavrin-Jihou1.wav", "Tavrin-Jihou2.wav", "Tavrin-Jihou3.wav", kMsg1, kMsg2,
            "10", "0"};
}

QList<QByteArray> first(int n, const QList<QByteArray> &ls = std8())
{
    return ls.mid(0, n);
}

QList<QByteArray> with(QList<QByteArray> ls, int lineNo, const QByteArray &text)
{
    ls[lineNo - 1] = text;
    return ls;
}

const QByteArray kDefaultFile = lines(std8());

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

QString cfg(const QTemporaryDir &d)
{
    return d.filePath("Tavrin.cfg");
}

QString bak(const QTemporaryDir &d)
{
    return d.filePath("Tavrin.cfg.bak");
}


void compareValues(const ExamState &st, const Values &v)
{
    QCOMPARE(st.time1.value(), v.time1);
    QCOMPARE(st.time2.value(), v.time2);
    QCOMPARE(st.cycle.value(), v.cycle);
    QCOMPARE(st.tamasu.value(), v.tamasu);
    QCOMPARE(st.fkc.value(), v.fkc);
}

const QStringList kDefaultTexts = {"Tavrin-Jihou1.wav", "Tavrin-Jihou2.wav", "Tavrin-Jihou3.wav",
                                   u"移動してください"_qs, u"試験終了"_qs};

QStringList textsOf(const ExamState &st)
{
    return {st.c[1], st.c[2], st.c[3], st.message1, st.message2};
}

// A state that has already been filled with something else, so that the
// tests see what load sets rather than what a fresh record holds.
ExamState dirtyState()
{
    ExamState st;
    st.time1 = 1;
    st.time2 = 2;
    st.cycle = 3;
    st.tamasu = 4;
    st.fkc = 2;
    st.c[1] = st.c[2] = st.c[3] = st.message1 = st.message2 = "stale";
    st.rawTextLines.fill(QByteArray("stale"));
    return st;
}

// Lowers the largest file this process may write, for as long as it lives,
// so that a write runs out of room as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = old_;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void absent_data();
    void absent();
    void defaultFileByteForByte();
    void roundTrip_data();
    void roundTrip();
    void rewrite_data();
    void rewrite();
    void load_data();
    void load();
    void unreadableFile();
    void backupBeforeFirstSave_data();
    void backupBeforeFirstSave();
    void encodeWithoutRawBytes_data();
    void encodeWithoutRawBytes();
    void failedSave_data();
    void failedSave();
    void lockedFolder_data();
    void lockedFolder();
};

void TestSettings::absent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("asDirectory");

    QTest::newRow("no file") << QString() << false;
    QTest::newRow("lower case name") << "tavrin.cfg" << false;
    QTest::newRow("upper case name") << "TAVRIN.CFG" << false;
    QTest::newRow("longer name") << "Tavrin.cfg.txt" << false;
    QTest::newRow("directory with the name") << "Tavrin.cfg" << true;
}

void TestSettings::absent()
{
    QFETCH(QString, name);
    QFETCH(bool, asDirectory);
    QTemporaryDir d;
    if (asDirectory) {
        QVERIFY(QDir(d.path()).mkdir(name));
        writeBytes(d.filePath(name + "/x"), lines(std8("1,2,3")));
    } else if (!name.isEmpty()) {
        writeBytes(d.filePath(name), lines(std8("1,2,3")));
    }

    ExamState st = dirtyState();
    const SettingsLoadReport r = loadSettings(st, d.path());
    QVERIFY(!r.present);
    QVERIFY(r.complete);
    QVERIFY(r.problems.isEmpty());
    compareValues(st, {30, 5, 40, 10, 0});
    QCOMPARE(textsOf(st), kDefaultTexts);
    for (const auto &raw : st.rawTextLines)
        QVERIFY(!raw.has_value());
}

void TestSettings::defaultFileByteForByte()
{
    QTemporaryDir d;
    writeBytes(d.filePath("tavrin.cfg"), "1,2,3\r\n");
    ExamState st = dirtyState();
    const SettingsLoadReport r = loadSettings(st, d.path());
    const SettingsSaveReport s = saveSettings(st, d.path(), r.present && !r.complete);
    QVERIFY2(s.ok, qPrintable(s.error));
    QCOMPARE(readBytes(cfg(d)), kDefaultFile);
    QVERIFY(!QFile::exists(bak(d)));
    QCOMPARE(readBytes(d.filePath("tavrin.cfg")), QByteArray("1,2,3\r\n"));
}

// Files that come back exactly as they were, whatever their text lines hold.
void TestSettings::roundTrip_data()
{
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("default file") << kDefaultFile;
    QTest::newRow("commas and quotes") << lines(with(std8(), 5, "\"Go, now\",\"\"'x'"));
    QTest::newRow("leading and trailing blanks")
        << lines(with(with(std8(), 2, "  a b.wav  "), 6, "\x81\x40" "end\t "));
    QTest::newRow("empty text lines") << lines(with(with(std8(), 3, ""), 6, ""));
    QTest::newRow("invalid Shift-JIS bytes")
        << lines(with(with(std8(), 5, "A\xff\x80\xa0Z"), 6, "end\x82"));
    QTest::newRow("UTF-8 text") << lines(with(std8(), 5, u"移動してください"_qs.toUtf8()));
    QTest::newRow("user-defined characters") << lines(with(std8(), 4, "\xf0\x40\xf9\xfc"));
    QTest::newRow("NUL and control bytes") << lines(with(std8(), 2, QByteArray("a\0b\x1a", 4)));
    QTest::newRow("path with directory") << lines(with(std8(), 2, "C:\\sound\\\x83\x60.wav"));
    QTest::newRow("negative and zero times") << lines(std8("-30,0,-1"));
    QTest::newRow("16-bit limits") << lines(with(with(std8("32767,-32768,0"), 7, "32767"), 8, "2"));
}

void TestSettings::roundTrip()
{
    QFETCH(QByteArray, file);
    QTemporaryDir d;
    writeBytes(cfg(d), file);

    ExamState st = dirtyState();
    const SettingsLoadReport r = loadSettings(st, d.path());
    QVERIFY(r.present);
    const SettingsSaveReport s = saveSettings(st, d.path(), r.present && !r.complete);
    QVERIFY2(s.ok, qPrintable(s.error));
    QCOMPARE(readBytes(cfg(d)), file);

    // A second start from the written file reads the same values.
    ExamState again = dirtyState();
    loadSettings(again, d.path());
    QCOMPARE(textsOf(again), textsOf(st));
    compareValues(again, {st.time1.value(), st.time2.value(), st.cycle.value(),
                          st.tamasu.value(), st.fkc.value()});
}

// Files that are read well but written back in the program's own layout.
void TestSettings::rewrite_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("lone LF") << lines(std8(), "\n") << kDefaultFile;
    QTest::newRow("lone CR") << lines(std8(), "\r") << kDefaultFile;
    QTest::newRow("mixed line ends")
        << QByteArray("30,5,40\nTavrin-Jihou1.wav\r\nTavrin-Jihou2.wav\rTavrin-Jihou3.wav\n")
               + kMsg1 + "\r\n" + kMsg2 + "\n10\r0"
        << kDefaultFile;
    QTest::newRow("no final line end") << lines(std8(), "\r\n", false) << kDefaultFile;
    QTest::newRow("LF, no final line end") << lines(std8(), "\n", false) << kDefaultFile;
    QTest::newRow("six lines") << lines(first(6)) << kDefaultFile;
    QTest::newRow("six lines, no final line end") << lines(first(6), "\r\n", false)
                                                  << kDefaultFile;
    QTest::newRow("seven lines") << lines(with(first(7), 7, "12"))
                                 << lines(with(std8(), 7, "12"));
    QTest::newRow("seven lines, no final line end")
        << lines(with(first(7), 7, "12"), "\r\n", false) << lines(with(std8(), 7, "12"));
    QTest::newRow("numbers in another spelling")
        << lines(with(with(std8(" 12.7,+5 ,40abc"), 7, "10.0"), 8, " 1"))
        << lines(with(with(std8("13,5,40"), 7, "10"), 8, "1"));
    QTest::newRow("blank lines after line 8") << lines(std8() + QList<QByteArray>{"", ""})
                                              << kDefaultFile;
}

void TestSettings::rewrite()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, written);
    QTemporaryDir d;
    writeBytes(cfg(d), file);

    ExamState st = dirtyState();
    const SettingsLoadReport r = loadSettings(st, d.path());
    QVERIFY2(r.complete, qPrintable(r.problems.join('\n')));
    const SettingsSaveReport s = saveSettings(st, d.path(), false);
    QVERIFY2(s.ok, qPrintable(s.error));
    QCOMPARE(readBytes(cfg(d)), written);
}

// What is read from each kind of file, and what the operator is told. Every
// fragment must appear in the notice; no fragments means nothing is reported.
void TestSettings::load_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Values>("values");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("fragments");

    const Values def{30, 5, 40, 10, 0};
    const QStringList dt = kDefaultTexts;

    QTest::newRow("negative and zero times") << lines(std8("-10,0,0")) << Values{-10, 0, 0, 10, 0}
                                             << dt << QStringList();
    QTest::newRow("halves to even") << lines(std8("2.5,3.5,-0.5")) << Values{2, 4, 0, 10, 0}
                                    << dt << QStringList();
    QTest::newRow("exponent reads its mantissa") << lines(std8("1e3,5,40"))
                                                 << Values{1, 5, 40, 10, 0} << dt << QStringList();
    QTest::newRow("commas in a banner") << lines(with(std8(), 6, "a,b,\"c\""))
                                        << def << (QStringList(dt.mid(0, 4)) << "a,b,\"c\"")
                                        << QStringList();
    QTest::newRow("six lines") << lines(first(6)) << def << dt << QStringList();
    QTest::newRow("seven lines") << lines(with(first(7), 7, "3")) << Values{30, 5, 40, 3, 0}
                                 << dt << QStringList();

    QTest::newRow("time too large") << lines(std8("99999,6,41")) << Values{30, 6, 41, 10, 0}
                                    << dt << QStringList{"1 行目", "99999", "範囲外", "30"};
    QTest::newRow("time too small") << lines(std8("7,-32769,41")) << Values{7, 5, 41, 10, 0}
                                    << dt << QStringList{"1 行目", "-32769", "5"};
    QTest::newRow("time not a number") << lines(std8("7,abc,41")) << Values{7, 5, 41, 10, 0}
                                       << dt << QStringList{"1 行目", "「abc」", "数値ではありません"};
    QTest::newRow("hexadecimal") << lines(std8("&H10,6,41")) << Values{30, 6, 41, 10, 0} << dt
                                 << QStringList{"1 行目", "&H10", "数値ではありません"};
    QTest::newRow("full-width digits") << lines(std8("7,6,\x82\x52\x82\x4f"))
                                       << Values{7, 6, 40, 10, 0} << dt
                                       << QStringList{"1 行目", u"３０"_qs, "40"};
    QTest::newRow("empty field") << lines(std8("7,,41")) << Values{7, 5, 41, 10, 0} << dt
                                 << QStringList{"1 行目", "移動時間"};
    QTest::newRow("two fields") << lines(std8("7,6")) << Values{7, 6, 40, 10, 0} << dt
                                << QStringList{"1 行目", "問題数がありません", "40"};
    QTest::newRow("four fields") << lines(std8("7,6,41,99")) << Values{7, 6, 41, 10, 0} << dt
                                 << QStringList{"1 行目", "「99」", "使いません"};
    QTest::newRow("empty line 1") << lines(std8("")) << def << dt
                                  << QStringList{"1 行目", "1問あたりの時間", "移動時間がありません"};

    QTest::newRow("empty line 7") << lines(with(first(7), 7, "")) << def << dt
                                  << QStringList{"7 行目", "1行の点の数", "10"};
    QTest::newRow("empty line 8") << lines(with(std8(), 8, "")) << def << dt
                                  << QStringList{"8 行目", "文字の大きさ", "0"};
    QTest::newRow("tamasu zero") << lines(with(std8(), 7, "0")) << def << dt
                                 << QStringList{"7 行目", "「0」", "1 以上", "10"};
    QTest::newRow("tamasu negative") << lines(with(with(std8(), 7, "-4"), 8, "1"))
                                     << Values{30, 5, 40, 10, 1} << dt
                                     << QStringList{"7 行目", "-4"};
    QTest::newRow("tamasu too large") << lines(with(std8(), 7, "40000")) << def << dt
                                      << QStringList{"7 行目", "40000", "範囲外"};
    QTest::newRow("fkc 3") << lines(with(with(std8(), 7, "12"), 8, "3"))
                           << Values{30, 5, 40, 12, 0} << dt
                           << QStringList{"8 行目", "「3」", "0、1、2"};
    QTest::newRow("fkc -1") << lines(with(std8(), 8, "-1")) << def << dt
                            << QStringList{"8 行目", "-1"};

    QTest::newRow("empty file") << QByteArray() << def << dt << QStringList{"空です"};
    QTest::newRow("only a line end") << QByteArray("\r\n") << def << dt
                                     << QStringList{"1 行目で終わって", "移動の表示"};
    QTest::newRow("ends after line 3")
        << lines({"7,6,41", "a.wav", "b.wav"}, "\r\n", false) << Values{7, 6, 41, 10, 0}
        << QStringList{"a.wav", "b.wav", dt[2], dt[3], dt[4]}
        << QStringList{"3 行目で終わって", "音のファイル3 = Tavrin-Jihou3.wav",
                       u"終了の表示 = 試験終了"_qs};
    QTest::newRow("ends after line 5")
        << lines(first(5, std8("7,6,41"))) << Values{7, 6, 41, 10, 0} << dt
        << QStringList{"5 行目で終わって", u"終了の表示 = 試験終了"_qs};

    QTest::newRow("invalid Shift-JIS") << lines(with(std8(), 5, "A\xff")) << def
                                       << (QStringList(dt.mid(0, 3)) << u"A\u001a"_qs << dt[4])
                                       << QStringList{"5 行目", "Shift-JIS"};
    QTest::newRow("text after line 8") << lines(std8() + QList<QByteArray>{"", "more"}) << def
                                       << dt << QStringList{"10 行目", "「more」"};
    QTest::newRow("several faults at once")
        << lines(with(std8("x,6,99999"), 8, "9")) << Values{30, 6, 40, 10, 0} << dt
        << QStringList{"「x」", "「99999」", "「9」"};
    // A valid start, then a megabyte of padding: refused whole, not read in.
    QTest::newRow("larger than any settings file")
        << lines(std8("20,10,3") + QList<QByteArray>{QByteArray(1 << 20, 'x')}) << def << dt
        << QStringList{"1 MiB"};
    QTest::newRow("long value shortened") << lines(std8(QByteArray(200, 'z'))) << def << dt
                                          << QStringList{QString(40, u'z') + u'…'};
}

void TestSettings::load()
{
    QFETCH(QByteArray, file);
    QFETCH(Values, values);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, fragments);
    QTemporaryDir d;
    writeBytes(cfg(d), file);

    ExamState st = dirtyState();
    const SettingsLoadReport r = loadSettings(st, d.path());
    QVERIFY(r.present);
    compareValues(st, values);
    QCOMPARE(textsOf(st), texts);

    const QString notice = r.problems.join('\n');
    QCOMPARE(r.complete, fragments.isEmpty());
    QCOMPARE(r.problems.isEmpty(), fragments.isEmpty());
    for (const QString &f : fragments)
        QVERIFY2(notice.contains(f), qPrintable(f + " not in:\n" + notice));
    if (!fragments.isEmpty()) {
        QVERIFY(notice.contains(QDir::toNativeSeparators(cfg(d))));
        QVERIFY(notice.contains("Tavrin.cfg.bak"));
    }
    QVERIFY(!notice.contains("%"));
}

// A file that is listed but cannot be read: defaults, a notice, and it is
// never replaced, since the copy that must come first cannot be made.
void TestSettings::unreadableFile()
{
    if (!QFile::exists("/proc/self/mem"))
        QSKIP("needs /proc/self/mem, a file whose first bytes cannot be read");
    QTemporaryDir d;
    QVERIFY(QFile::link("/proc/self/mem", cfg(d)));

    ExamState st = dirtyState();
    const SettingsLoadReport r = loadSettings(st, d.path());
    QVERIFY(r.present);
    QVERIFY(!r.complete);
    compareValues(st, {30, 5, 40, 10, 0});
    QCOMPARE(textsOf(st), kDefaultTexts);
    QVERIFY(r.problems.join('\n').contains("読めませんでした"));

    const SettingsSaveReport s = saveSettings(st, d.path(), true);
    QVERIFY(!s.ok);
    QVERIFY(s.error.contains("Tavrin.cfg.bak"));
    QVERIFY(QFileInfo(cfg(d)).isSymLink());
    QVERIFY(!QFile::exists(bak(d)));
}

void TestSettings::backupBeforeFirstSave_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("olderBackup");

    QTest::newRow("number out of range") << lines(std8("99999,5,40")) << false;
    QTest::newRow("file too short") << lines({"20,10,3", "x.wav"}) << false;
    QTest::newRow("older backup replaced") << lines(with(std8(), 8, "7")) << true;
}

void TestSettings::backupBeforeFirstSave()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, olderBackup);
    QTemporaryDir d;
    writeBytes(cfg(d), file);
    if (olderBackup)
        writeBytes(bak(d), "older");

    ExamState st = dirtyState();
    const SettingsLoadReport r = loadSettings(st, d.path());
    QVERIFY(r.present && !r.complete);
    const SettingsSaveReport s = saveSettings(st, d.path(), true);
    QVERIFY2(s.ok, qPrintable(s.error));
    QCOMPARE(QFileInfo(s.backupPath).canonicalFilePath(), QFileInfo(bak(d)).canonicalFilePath());
    QCOMPARE(readBytes(bak(d)), file);

    // What was written reads back completely.
    ExamState again = dirtyState();
    QVERIFY(loadSettings(again, d.path()).complete);
    QCOMPARE(textsOf(again), textsOf(st));
}

// Texts that were not read from the file (or changed since) are encoded;
// what Shift-JIS cannot hold becomes '?', and nothing breaks the line layout.
void TestSettings::encodeWithoutRawBytes_data()
{
    QTest::addColumn<QString>("message1");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("line5");

    QTest::newRow("default text") << u"移動してください"_qs << QByteArray() << kMsg1;
    QTest::newRow("outside Shift-JIS") << u"移動€é😀!"_qs << QByteArray()
                                       << QByteArray("\x88\xda\x93\xae" "?" "?" "?!");
    QTest::newRow("line break") << u"a\r\nb\nc"_qs << QByteArray() << QByteArray("a  b c");
    QTest::newRow("raw bytes of another text") << u"試験終了"_qs << kMsg1 << kMsg2;
}

void TestSettings::encodeWithoutRawBytes()
{
    QFETCH(QString, message1);
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, line5);
    QTemporaryDir d;
    ExamState st = dirtyState();
    loadSettings(st, d.path());
    st.message1 = message1;
    if (!raw.isNull())
        st.rawTextLines[3] = raw;

    const SettingsSaveReport s = saveSettings(st, d.path(), false);
    QVERIFY2(s.ok, qPrintable(s.error));
    QCOMPARE(readBytes(cfg(d)), lines(with(std8(), 5, line5)));
}

// A save that cannot finish says so and leaves what was there untouched,
// with no stray temporary file beside it.
void TestSettings::failedSave_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("directory where the file goes") << "dir at target" << "開けません";
    QTest::newRow("directory where the backup goes") << "dir at backup" << "Tavrin.cfg.bak";
    QTest::newRow("working directory removed") << "no dir" << "開けません";
    QTest::newRow("disk full") << "full" << "ディスクの空き";
}

void TestSettings::failedSave()
{
    QFETCH(QString, how);
    QFETCH(QString, fragment);
    QTemporaryDir d;
    const QByteArray old = lines(std8("99999,5,40"));
    ExamState st = dirtyState();
    bool keepBackup = false;

    if (how == "dir at target") {
        QVERIFY(QDir(d.path()).mkdir("Tavrin.cfg"));
        writeBytes(cfg(d) + "/inside", "kept");
        loadSettings(st, d.path());
    } else {
        writeBytes(cfg(d), old);
        const SettingsLoadReport r = loadSettings(st, d.path());
        keepBackup = r.present && !r.complete;
        QVERIFY(keepBackup);
        if (how == "dir at backup") {
            QVERIFY(QDir(d.path()).mkdir("Tavrin.cfg.bak"));
        } else if (how == "full") {
            keepBackup = false;
        }
    }
    const QStringList before = QDir(d.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QString dir = how == "no dir" ? d.filePath("gone") : d.path();

    SettingsSaveReport s;
    if (how == "full") {
        const FileSizeLimit limit(16);
        s = saveSettings(st, dir, keepBackup);
    } else {
        s = saveSettings(st, dir, keepBackup);
    }
    QVERIFY(!s.ok);
    QVERIFY2(s.error.contains(fragment), qPrintable(s.error));
    QVERIFY(s.error.contains("元のまま"));

    QCOMPARE(QDir(d.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    if (how == "dir at target")
        QCOMPARE(readBytes(cfg(d) + "/inside"), QByteArray("kept"));
    else
        QCOMPARE(readBytes(cfg(d)), old);
}

// A folder that takes no new file, with a Tavrin.cfg that may be written:
// saved in place and read back, and never left half-written where the old
// content can still be put back.
void TestSettings::lockedFolder_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QByteArray>("line1"); // a refused value calls for a backup first
    QTest::addColumn<int>("sizeLimit");    // what a file may grow to; 0: no limit
    QTest::addColumn<QString>("fragment"); // of the error; empty: saved
    const int old = int(kDefaultFile.size());
    QTest::newRow("saved in place") << true << QByteArray("30,5,40") << 0 << QString();
    QTest::newRow("read-only file") << false << QByteArray("30,5,40") << 0 << u"開けません"_qs;
    QTest::newRow("no room for the backup") << true << QByteArray("99999,5,40") << 0 << u"Tavrin.cfg.bak"_qs;
    QTest::newRow("disk full: old content back") << true << QByteArray("30,5,40") << old + 4 << u"ディスクの空き"_qs;
    QTest::newRow("disk full for the old too") << true << QByteArray("30,5,40") << 16 << u"途中まで"_qs;
}

void TestSettings::lockedFolder()
{
    QFETCH(bool, writable);
    QFETCH(QByteArray, line1);
    QFETCH(int, sizeLimit);
    QFETCH(QString, fragment);
    const QByteArray old = lines(std8(line1));
    testing::LockedFolder folder;
    folder.put("Tavrin.cfg", old, writable);
    folder.lock();
    QVERIFY(folder.holds());

    ExamState st = dirtyState();
    const SettingsLoadReport r = loadSettings(st, folder.path());
    st.message1 = u"移動してください（次の問題へ）"_qs; // longer: the file grows
    SettingsSaveReport s;
    {
        const FileSizeLimit limit(sizeLimit ? rlim_t(sizeLimit) : RLIM_INFINITY);
        s = saveSettings(st, folder.path(), !r.complete);
    }
    QCOMPARE(folder.entries(), QStringList{"Tavrin.cfg"});
    const QByteArray now = readBytes(folder.path() + "/Tavrin.cfg");
    if (fragment.isEmpty()) {
        QVERIFY2(s.ok, qPrintable(s.error));
        QCOMPARE(now, lines(with(std8(), 5, QStringEncoder("windows-31j").encode(st.message1))));
        return;
    }
    QVERIFY(!s.ok);
    QVERIFY2(s.error.contains(fragment), qPrintable(s.error));
    if (sizeLimit != 16)
        QCOMPARE(now, old);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
