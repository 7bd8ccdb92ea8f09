#include "timetable.h"

#include "fonts.h"
#include "frame_port.h"
#include "programme_choice.h"
#include "schedule.h"
#include "texts.h"

#include <QAction>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimeZone>
#include <QVBoxLayout>

namespace tavrin {

using texts::str;

std::vector<TimetableRow> timetableRows(const Programme &programme)
{
    std::vector<TimetableRow> rows;
    const std::vector<qint64> starts = programme.starts();
    int block = 0;
    for (size_t i = 0; i < programme.parts.size(); ++i) {
        const Part &p = programme.parts[i];
        const int part = int(i) + 1;
        const qint64 at = starts[i];
        if (p.kind == Part::Kind::Break) {
            rows.push_back({TimetableRow::Kind::Break, part, block, 0, at, at + p.seconds, p.banner});
            continue;
        }
        ++block;
        const qint64 unit = qint64(p.reading) + p.answer + p.move;
        rows.push_back({TimetableRow::Kind::FirstQuestion, part, block, 1, at, at + unit, {}});
        if (p.questions > 1)
            rows.push_back({TimetableRow::Kind::LastQuestion, part, block, p.questions,
                            at + (p.questions - 1) * unit, at + p.questions * unit, {}});
    }
    const qint64 end = programme.total();
    rows.push_back({TimetableRow::Kind::End, int(programme.parts.size()), block, 0, end, end, {}});
    return rows;
}

QString timetableTime(qint64 seconds, std::optional<qint64> startMs, const QTimeZone &zone)
{
    if (startMs)
        return schedule::clockText(*startMs + seconds * 1000, zone);
    return QStringLiteral("+%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

QString timetableLabel(const TimetableRow &row)
{
    switch (row.kind) {
    case TimetableRow::Kind::FirstQuestion:
        return str(texts::timetableFirst).arg(row.block);
    case TimetableRow::Kind::LastQuestion:
        return str(texts::timetableLast).arg(row.block).arg(row.question);
    case TimetableRow::Kind::Break:
        if (row.banner.isEmpty() || row.banner == str(texts::timetableBreak))
            return str(texts::timetableBreak);
        return str(texts::timetableBreakBanner).arg(row.banner);
    case TimetableRow::Kind::End:
        break;
    }
    return str(texts::timetableEnd);
}

namespace {

// The four columns of a row as shown: part, what, from, to.
QStringList cells(const TimetableRow &row, std::optional<qint64> startMs, const QTimeZone &zone)
{
    const bool end = row.kind == TimetableRow::Kind::End;
    return {end ? QString() : QString::number(row.part), timetableLabel(row),
            timetableTime(row.from, startMs, zone), end ? QString() : timetableTime(row.to, startMs, zone)};
}

QStringList headers()
{
    return {str(texts::timetablePartColumn), str(texts::timetableWhatColumn), str(texts::timetableFromColumn),
            str(texts::timetableToColumn)};
}

QString heading(std::optional<qint64> startMs, const QTimeZone &zone)
{
    if (!startMs)
        return str(texts::timetableNoStart);
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(*startMs, zone);
    return str(texts::timetableStartAt).arg(at.toString(u"yyyy-MM-dd"_qs), schedule::clockText(*startMs, zone));
}

QString csvField(const QString &s)
{
    if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n'))
        return s;
    return u'"' + QString(s).replace(u'"', u"\"\""_qs) + u'"';
}

} // namespace

// With its BOM, the spreadsheets that the examiners' offices open CSV in
// read it as UTF-8 rather than guessing a local code page.
QByteArray timetableCsv(const Programme &programme, std::optional<qint64> startMs, const QTimeZone &zone)
{
    QString out;
    const auto line = [&out](const QStringList &fields) {
        QStringList quoted;
        for (const QString &f : fields)
            quoted << csvField(f);
        out += quoted.join(u',') + u"\r\n"_qs;
    };
    line(headers());
    for (const TimetableRow &row : timetableRows(programme))
        line(cells(row, startMs, zone));
    return "\xEF\xBB\xBF" + out.toUtf8();
}

QString timetableHtml(const Programme &programme, std::optional<qint64> startMs, const QTimeZone &zone)
{
    QString html = u"<h2>"_qs + heading(startMs, zone).toHtmlEscaped() + u"</h2>"_qs
                   u"<table border=\"1\" cellspacing=\"0\" cellpadding=\"6\" width=\"100%\"><tr>";
    for (const QString &h : headers())
        html += u"<th>"_qs + h.toHtmlEscaped() + u"</th>"_qs;
    html += u"</tr>";
    for (const TimetableRow &row : timetableRows(programme)) {
        html += u"<tr>";
        for (const QString &c : cells(row, startMs, zone))
            html += u"<td>"_qs + c.toHtmlEscaped() + u"</td>"_qs;
        html += u"</tr>";
    }
    return html + u"</table>"_qs;
}

QString writeTimetablePdf(const QString &path, const Programme &programme, std::optional<qint64> startMs,
                          const QTimeZone &zone)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return str(texts::timetableNotSaved).arg(path, file.errorString());
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(str(texts::timetableTitle));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
        QTextDocument doc;
        doc.setDefaultFont(makeFont(Face::PGothic, 12));
        doc.setHtml(timetableHtml(programme, startMs, zone));
        doc.print(&pdf);
    }
    if (!file.commit())
        return str(texts::timetableNotSaved).arg(path, file.errorString());
    return {};
}

Timetable::Timetable(FramePort &frame, const ProgrammeChoice &choice, std::function<Programme()> boxes,
                     std::function<std::optional<qint64>()> start, QObject *parent)
    : QObject(parent), frame_(frame), choice_(choice), boxes_(std::move(boxes)), start_(std::move(start))
{
}

void Timetable::addActionTo(FramePort &frame)
{
    connect(frame.addMenuAction(str(texts::timetableAction), QKeySequence(Qt::SHIFT | Qt::Key_F4)),
            &QAction::triggered, this, &Timetable::show);
}

void Timetable::show()
{
    const Programme programme = choice_.current() ? *choice_.current() : boxes_();
    const std::optional<qint64> startMs = start_();
    const QTimeZone zone = schedule::localZone();

    QDialog dialog(frame_.dialogParent());
    dialog.setWindowTitle(str(texts::timetableTitle));
    auto *layout = new QVBoxLayout(&dialog);
    auto *head = new QLabel(heading(startMs, zone), &dialog);
    head->setWordWrap(true);
    layout->addWidget(head);
    if (!choice_.current()) {
        auto *boxes = new QLabel(str(texts::timetableThreeBoxes), &dialog);
        boxes->setWordWrap(true);
        layout->addWidget(boxes);
    }
    const std::vector<TimetableRow> rows = timetableRows(programme);
    auto *table = new QTableWidget(int(rows.size()), 4, &dialog);
    table->setHorizontalHeaderLabels(headers());
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < int(rows.size()); ++r) {
        const QStringList c = cells(rows[size_t(r)], startMs, zone);
        for (int col = 0; col < 4; ++col)
            table->setItem(r, col, new QTableWidgetItem(c[col]));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table);

    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *pdf = buttons->addButton(str(texts::timetablePdf), QDialogButtonBox::ActionRole);
    QPushButton *csv = buttons->addButton(str(texts::timetableCsv), QDialogButtonBox::ActionRole);
    buttons->addButton(str(texts::dialogClose), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    const auto save = [&](bool asPdf) {
        const QString path = QFileDialog::getSaveFileName(
            &dialog, str(texts::timetableTitle),
            QDir::current().filePath(QLatin1String(asPdf ? texts::timetablePdfFile : texts::timetableCsvFile)),
            str(asPdf ? texts::timetablePdfFilter : texts::timetableCsvFilter));
        if (path.isEmpty())
            return;
        QString why;
        if (asPdf) {
            why = writeTimetablePdf(path, programme, startMs, zone);
        } else {
            QSaveFile file(path);
            const QByteArray bytes = timetableCsv(programme, startMs, zone);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
                why = str(texts::timetableNotSaved).arg(path, file.errorString());
        }
        frame_.notify(why.isEmpty() ? str(texts::timetableSaved).arg(path) : why);
    };
    connect(pdf, &QPushButton::clicked, &dialog, [&] { save(true); });
    connect(csv, &QPushButton::clicked, &dialog, [&] { save(false); });
    dialog.resize(560, 420);
    dialog.exec();
}

} // namespace tavrin
