// The default cue files: what is committed and what is built into the
// program must be what the generator makes, and the four must be told apart
// by ear.

#include "cue_synth.h"
#include "sound_probe.h"
#include "texts.h"

#include <QFile>
#include <QTest>

using namespace tavrin;
using cues::Cue;

namespace {

const char *fileOf(Cue cue)
{
    switch (cue) {
    case Cue::Tick: return texts::defaultCue1;
    case Cue::AnswerEnd: return texts::defaultCue2;
    case Cue::ExamEnd: return texts::defaultCue3;
    case Cue::Chime: return texts::chimeCue;
    }
    return "";
}

} // namespace

class TestCueFiles : public QObject {
    Q_OBJECT
private slots:
    void filesAreTheGeneratorsOutput_data();
    void filesAreTheGeneratorsOutput();
    void cuesAreToldApart();
};

void TestCueFiles::filesAreTheGeneratorsOutput_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("cue");
    for (Cue cue : cues::allCues) {
        const QString name = QLatin1String(fileOf(cue));
        QTest::addRow("committed %s", fileOf(cue))
            << QStringLiteral(TAVRIN_CUE_DIR "/") + name << int(cue);
        QTest::addRow("built in %s", fileOf(cue)) << QStringLiteral(":/tavrin/cues/") + name << int(cue);
    }
}

// A changed generator with stale committed files (or the other way round)
// would ship sounds nobody can rebuild.
void TestCueFiles::filesAreTheGeneratorsOutput()
{
    QFETCH(QString, path);
    QFETCH(int, cue);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray bytes = file.readAll();
    const auto expected = cues::wavFile(cues::synthesize(Cue(cue)));

    QCOMPARE(std::size_t(bytes.size()), expected.size());
    QVERIFY2(std::equal(expected.begin(), expected.begin() + 44,
                        reinterpret_cast<const std::uint8_t *>(bytes.constData())),
             "header differs");
    // Samples may differ by one step where another maths library rounds a
    // sine the other way.
    for (std::size_t i = 44; i + 1 < expected.size(); i += 2) {
        const auto mine = std::int16_t(std::uint8_t(bytes[qsizetype(i)]) | std::uint8_t(bytes[qsizetype(i + 1)]) << 8);
        const auto made = std::int16_t(expected[i] | expected[i + 1] << 8);
        if (std::abs(mine - made) > 1)
            QFAIL(qPrintable(QStringLiteral("sample %1: %2, generator %3").arg((i - 44) / 2).arg(mine).arg(made)));
    }
}

// Each pair differs clearly in length or in pitch, and each cue is small.
void TestCueFiles::cuesAreToldApart()
{
    struct Measured {
        Cue cue;
        double ms;
        double hz;
    };
    std::vector<Measured> m;
    for (Cue cue : cues::allCues) {
        const auto s = cues::synthesize(cue);
        const probe::Span e = probe::extent(s);
        m.push_back({cue, probe::milliseconds(e.length()),
                     probe::crossingPitch(std::span(s).subspan(e.begin, e.length()))});
        QVERIFY2(s.size() * 2 < 200 * 1024, fileOf(cue));
    }
    for (std::size_t i = 0; i < m.size(); ++i)
        for (std::size_t j = i + 1; j < m.size(); ++j) {
            const double lengths = std::max(m[i].ms, m[j].ms) / std::min(m[i].ms, m[j].ms);
            const double pitches = std::max(m[i].hz, m[j].hz) / std::min(m[i].hz, m[j].hz);
            QVERIFY2(lengths >= 1.5 || pitches >= 1.3,
                     qPrintable(QStringLiteral("%1 (%2 ms, %3 Hz) and %4 (%5 ms, %6 Hz)")
                                    .arg(fileOf(m[i].cue)).arg(m[i].ms).arg(m[i].hz)
                                    .arg(fileOf(m[j].cue)).arg(m[j].ms).arg(m[j].hz)));
        }
}

QTEST_GUILESS_MAIN(TestCueFiles)
#include "tst_cue_files.moc"
