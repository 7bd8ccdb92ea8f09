#include "options_file.h"
#include "programme_choice.h"
#include "programme_dialog.h"
#include "schedule.h"
#include "timetable.h"
#include "window_rig.h"

#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

using namespace tavrin;

class TestProgrammeDialog : public QObject {
    Q_OBJECT
private slots:
    void editAndUse();
};

void click(QDialog &d, const QString &text)
{
    for (QPushButton *b : d.findChildren<QPushButton *>())
        if (b->text() == text)
            return b->click();
    QFAIL(qPrintable("no button " + text));
}

// Parts added, edited and moved stay the parts the table shows; what is
// used becomes the choice, unless a run is going or nothing is left.
void TestProgrammeDialog::editAndUse()
{
    testing::WindowRig rig;
    ProgrammeChoice choice;
    QString guard;
    const ProgrammeSeams seams{[] { return Programme::oneBlock(30, 5, 40); }, [] { return qint64(0); },
                               [&guard] { return guard; }};
    const QString options = rig.dir.filePath("Tavrin-options.ini");
    writeOptions(options, "programme", {{"file", "/old.txt"}});
    QSignalSpy notices(&rig.form, &Form1::noticeShown);
    ProgrammeDialog d(rig.form, choice, seams, options, nullptr);
    QTableWidget *t = d.table();
    t->selectRow(0);
    click(d, "休憩を追加");
    qobject_cast<QSpinBox *>(t->cellWidget(1, 5))->setValue(300);
    click(d, "ブロックを追加");
    qobject_cast<QSpinBox *>(t->cellWidget(2, 1))->setValue(2);
    t->selectRow(1);
    click(d, "上へ");
    QCOMPARE(d.programme().parts[0].seconds, 300);
    QCOMPARE(d.programme().parts[2].questions, 2);
    QCOMPARE(t->item(2, 10)->text(), timetableTime(300 + 1400 + 70, qint64(0), schedule::localZone()));
    guard = "busy";
    click(d, "使う");
    QVERIFY(!choice.current());
    QCOMPARE(notices.takeLast().at(0).toString(), "busy");
    guard.clear();
    click(d, "使う");
    QCOMPARE(*choice.current(), d.programme());
    waitForOptionWrites();
    QCoreApplication::processEvents();
    QVERIFY(!QSettings(options, QSettings::IniFormat).contains("programme/file")); // unsaved: nothing to read again
    for (int i = 0; i < 3; ++i) {
        t->selectRow(0);
        click(d, "削除");
    }
    click(d, "使う");
    QVERIFY(notices.takeLast().at(0).toString().contains("1 つもありません"));
    QCOMPARE(choice.current()->parts.size(), size_t(3));
}

QTEST_MAIN(TestProgrammeDialog)
#include "tst_programme_dialog.moc"
