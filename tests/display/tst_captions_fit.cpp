// Every caption of the window fits its control, in each language and at
// each font factor: nothing is cut off at the right edge.
#include "exam_state.h"
#include "language.h"
#include "texts.h"
#include "window_rig.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace tavrin;

class CaptionsFit : public QObject {
    Q_OBJECT
private slots:
    void fit_data()
    {
        QTest::addColumn<int>("lang");
        QTest::addColumn<int>("fkc");
        for (int lang : {0, 1})
            for (int fkc = 0; fkc < int(std::size(kFontFactors)); ++fkc)
                QTest::addRow("%s x%.2f", lang ? "en" : "ja", kFontFactors[fkc]) << lang << fkc;
    }
    void fit()
    {
        QFETCH(int, lang);
        QFETCH(int, fkc);
        language::install(QLatin1String(lang ? language::english : language::japanese));
        testing::WindowRig rig;
        testing::control<QComboBox>(rig.form, "Combo1")->setCurrentIndex(fkc);
        rig.engine.Combo1_Click();
        // A button shows one caption or the other as the run goes.
        const QList<std::pair<const char *, QStringList>> alternatives = {
            {"Command1", {texts::str(texts::start), texts::str(texts::reset)}},
            {"Command2", {texts::str(texts::pause), texts::str(texts::resume)}},
        };
        QStringList cut;
        const auto check = [&](QWidget *w, const QString &text, int room) {
            for (const QString &line : text.split(u'\n'))
                if (QFontMetrics(w->font()).horizontalAdvance(line) > room)
                    cut << QStringLiteral("%1 \"%2\" (%3 > %4 px)")
                               .arg(w->objectName(), line)
                               .arg(QFontMetrics(w->font()).horizontalAdvance(line))
                               .arg(room);
        };
        for (QLabel *l : rig.form.findChildren<QLabel *>())
            if (!l->wordWrap() && !l->objectName().isEmpty())
                check(l, l->text(), l->contentsRect().width());
        for (QPushButton *b : rig.form.findChildren<QPushButton *>()) {
            QStringList captions{b->text()};
            for (const auto &[name, texts] : alternatives)
                if (b->objectName() == QLatin1String(name))
                    captions = texts;
            // The frame and the style's margin take the rest.
            for (const QString &c : captions)
                check(b, c, b->width() - 4);
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u"; ")));
    }
};

QTEST_MAIN(CaptionsFit)
#include "tst_captions_fit.moc"
