#include "programme_dialog.h"

#include "frame_port.h"
#include "options_file.h"
#include "programme_choice.h"
#include "programme_file.h"
#include "schedule.h"
#include "texts.h"
#include "timetable.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimeZone>
#include <QVBoxLayout>

#include <algorithm>

namespace tavrin {

using texts::str;
using namespace programme_limits;

namespace {

const QString kProgrammeGroup = QStringLiteral("programme");
const QString kProgrammeFileKey = QStringLiteral("file");

// The table's columns, by name (a scoped set: the window has a Banner too).
namespace col {
enum : int { Kind, Questions, Reading, Answer, Move, Seconds, Banner, Cue, Length, From, To, Count };
}

QString describeChoice(const ProgrammeChoice &choice)
{
    if (!choice.current())
        return str(texts::programmeInUseNone);
    return str(texts::programmeInUse)
        .arg(choice.file().isEmpty() ? str(texts::programmeUnsaved) : QDir::toNativeSeparators(choice.file()));
}

} // namespace

QString chooseProgrammeFile(ProgrammeChoice &choice, const QString &path)
{
    const ProgrammeRead read = readProgrammeFile(path);
    if (!read.ok())
        return str(texts::programmeRefused).arg(QDir::toNativeSeparators(path), read.describe());
    choice.choose(read.programme, QFileInfo(path).absoluteFilePath());
    return {};
}

void rememberProgrammeFile(const QString &optionsFile, const ProgrammeChoice &choice, FramePort &frame)
{
    const QVariant value = choice.current() && !choice.file().isEmpty() ? QVariant(choice.file()) : QVariant();
    writeOptionsLater(optionsFile, kProgrammeGroup, {{kProgrammeFileKey, value}}, frame.dialogParent(),
                      [&frame](const QString &notice) {
                          if (!notice.isEmpty())
                              frame.notify(notice + u'\n' + str(texts::optionsKeptForNow));
                      });
}

ProgrammeDialog::ProgrammeDialog(FramePort &frame, ProgrammeChoice &choice, const ProgrammeSeams &seams,
                                 const QString &optionsFile, QWidget *parent)
    : QDialog(parent), frame_(frame), choice_(choice), seams_(seams), optionsFile_(optionsFile)
{
    setWindowTitle(str(texts::programmeTitle));
    auto *layout = new QVBoxLayout(this);
    inUse_ = new QLabel(describeChoice(choice_), this);
    layout->addWidget(inUse_);

    table_ = new QTableWidget(0, col::Count, this);
    table_->setHorizontalHeaderLabels(
        {str(texts::programmeKindColumn), str(texts::programmeQuestionsColumn), str(texts::programmeReadingColumn),
         str(texts::programmeAnswerColumn), str(texts::programmeMoveColumn), str(texts::programmeBreakColumn),
         str(texts::programmeBannerColumn), str(texts::programmeCueColumn), str(texts::programmeLengthColumn),
         str(texts::timetableFromColumn), str(texts::timetableToColumn)});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setSectionResizeMode(col::Banner, QHeaderView::Stretch);
    layout->addWidget(table_);

    total_ = new QLabel(this);
    total_->setWordWrap(true);
    layout->addWidget(total_);

    const auto row = [this, layout](std::initializer_list<std::pair<const char *, std::function<void()>>> buttons) {
        auto *line = new QHBoxLayout;
        for (const auto &[text, what] : buttons) {
            auto *button = new QPushButton(str(text), this);
            connect(button, &QPushButton::clicked, this, what);
            line->addWidget(button);
        }
        line->addStretch();
        layout->addLayout(line);
    };
    row({{texts::programmeAddBlock, [this] { addPart(Part::Kind::Block); }},
         {texts::programmeAddBreak, [this] { addPart(Part::Kind::Break); }},
         {texts::programmeRemove, [this] { removePart(); }},
         {texts::programmeUp, [this] { movePart(-1); }},
         {texts::programmeDown, [this] { movePart(+1); }}});
    row({{texts::programmeOpen, [this] { open(); }},
         {texts::programmeSaveAs, [this] { saveAs(); }},
         {texts::programmeUse, [this] { use(); }},
         {texts::programmeUseNone, [this] { useNone(); }},
         {texts::dialogClose, [this] { reject(); }}});

    file_ = choice_.file();
    setParts(choice_.current() ? choice_.current()->parts : seams_.boxes().parts);
    resize(1000, 480);
}

void ProgrammeDialog::setParts(std::vector<Part> parts)
{
    parts_ = std::move(parts);
    rebuild();
}

int ProgrammeDialog::currentRow() const
{
    const int r = table_->currentRow();
    return r >= 0 && r < int(parts_.size()) ? r : -1;
}

// Each field of a part is its own editor; the parts stay the one record of
// what the table holds, so that a move or a removal cannot mix two rows.
void ProgrammeDialog::rebuild()
{
    const int keep = currentRow();
    table_->setRowCount(int(parts_.size()));
    for (int r = 0; r < int(parts_.size()); ++r) {
        const Part &p = parts_[size_t(r)];
        const bool block = p.kind == Part::Kind::Block;
        for (int c = 0; c < col::Count; ++c) {
            table_->removeCellWidget(r, c);
            auto *item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            table_->setItem(r, c, item);
        }
        table_->item(r, col::Kind)->setText(str(block ? texts::programmeBlockKind : texts::programmeBreakKind));
        // Each editor finds its part by row when it changes: the vector
        // may have grown since it was made.
        const auto number = [this, r](int column, int Part::*field, int min) {
            auto *spin = new QSpinBox;
            spin->setRange(min, kMaxNumber);
            if (min == 0)
                spin->setSpecialValueText(str(texts::programmeReadingNone));
            if (column != col::Questions)
                spin->setSuffix(str(texts::programmeSecondsSuffix));
            spin->setValue(parts_[size_t(r)].*field);
            parts_[size_t(r)].*field = spin->value(); // as shown, within its bounds
            connect(spin, &QSpinBox::valueChanged, this, [this, r, field](int v) {
                parts_[size_t(r)].*field = v;
                refreshTimes();
            });
            table_->setCellWidget(r, column, spin);
        };
        const auto banner = [this, r](QString Part::*field) {
            auto *edit = new QLineEdit(parts_[size_t(r)].*field);
            edit->setMaxLength(kMaxBanner);
            connect(edit, &QLineEdit::textChanged, this,
                    [this, r, field](const QString &t) { parts_[size_t(r)].*field = t.trimmed(); });
            table_->setCellWidget(r, col::Banner, edit);
        };
        if (block) {
            number(col::Questions, &Part::questions, 1);
            number(col::Reading, &Part::reading, 0);
            number(col::Answer, &Part::answer, 1);
            number(col::Move, &Part::move, 1);
            banner(&Part::readingBanner);
            auto *cue = new QCheckBox;
            cue->setChecked(p.readingCue);
            connect(cue, &QCheckBox::toggled, this, [this, r](bool on) { parts_[size_t(r)].readingCue = on; });
            table_->setCellWidget(r, col::Cue, cue);
        } else {
            number(col::Seconds, &Part::seconds, 1);
            banner(&Part::banner);
        }
    }
    if (keep >= 0 && keep < int(parts_.size()))
        table_->selectRow(keep);
    refreshTimes();
    table_->resizeColumnsToContents();
}

void ProgrammeDialog::refreshTimes()
{
    const std::optional<qint64> start = seams_.start ? seams_.start() : std::nullopt;
    const QTimeZone zone = schedule::localZone();
    const std::vector<qint64> starts = programme().starts();
    for (int r = 0; r < int(parts_.size()); ++r) {
        const Part &p = parts_[size_t(r)];
        table_->item(r, col::Length)->setText(schedule::countdown(p.length()));
        table_->item(r, col::From)->setText(timetableTime(starts[size_t(r)], start, zone));
        table_->item(r, col::To)->setText(timetableTime(starts[size_t(r)] + p.length(), start, zone));
    }
    const qint64 total = programme().total();
    QString text = str(texts::programmeTotal).arg(schedule::countdown(total)).arg(total) + u'\n'
                   + (start ? str(texts::programmeStartNote).arg(timetableTime(0, start, zone))
                            : str(texts::programmeNoStartNote));
    if (const QString why = checkProgramme(programme()); !why.isEmpty())
        text += u'\n' + why;
    total_->setText(text);
}

void ProgrammeDialog::addPart(Part::Kind kind)
{
    Part p;
    p.kind = kind;
    if (kind == Part::Kind::Block) {
        // A new block starts as the three boxes stand.
        const Programme boxes = seams_.boxes();
        p = boxes.parts.empty() ? p : boxes.parts[0];
        p.questions = std::clamp(p.questions, 1, kMaxNumber);
        p.answer = std::clamp(p.answer, 1, kMaxNumber);
        p.move = std::clamp(p.move, 1, kMaxNumber);
    } else {
        p.seconds = 600;
        p.banner = str(texts::programmeDefaultBreakBanner);
    }
    if (parts_.size() >= size_t(kMaxParts)) {
        frame_.notify(str(texts::programmeTooManyParts).arg(kMaxParts));
        return;
    }
    const int at = currentRow() < 0 ? int(parts_.size()) : currentRow() + 1;
    parts_.insert(parts_.begin() + at, p);
    rebuild();
    table_->selectRow(at);
}

void ProgrammeDialog::removePart()
{
    const int r = currentRow();
    if (r < 0)
        return;
    parts_.erase(parts_.begin() + r);
    rebuild();
    if (!parts_.empty())
        table_->selectRow(std::min(r, int(parts_.size()) - 1));
}

void ProgrammeDialog::movePart(int by)
{
    const int r = currentRow();
    if (r < 0 || r + by < 0 || r + by >= int(parts_.size()))
        return;
    std::swap(parts_[size_t(r)], parts_[size_t(r + by)]);
    rebuild();
    table_->selectRow(r + by);
}

void ProgrammeDialog::open()
{
    const QString path = QFileDialog::getOpenFileName(this, str(texts::programmeOpen),
                                                      file_.isEmpty() ? QDir::currentPath() : file_,
                                                      str(texts::programmeFileFilter));
    if (path.isEmpty())
        return;
    const ProgrammeRead read = readProgrammeFile(path);
    if (!read.ok()) {
        frame_.notify(str(texts::programmeRefused).arg(QDir::toNativeSeparators(path), read.describe()));
        return;
    }
    file_ = QFileInfo(path).absoluteFilePath();
    setParts(read.programme->parts);
}

void ProgrammeDialog::saveAs()
{
    if (const QString why = checkProgramme(programme()); !why.isEmpty()) {
        frame_.notify(str(texts::programmeNotUsed).arg(why));
        return;
    }
    const QString path = QFileDialog::getSaveFileName(
        this, str(texts::programmeSaveAs),
        file_.isEmpty() ? QDir::current().filePath(QLatin1String(texts::programmeDefaultFile)) : file_,
        str(texts::programmeFileFilter));
    if (path.isEmpty())
        return;
    if (const QString why = writeProgrammeFile(path, programme()); !why.isEmpty()) {
        frame_.notify(why);
        return;
    }
    file_ = QFileInfo(path).absoluteFilePath();
    frame_.notify(str(texts::programmeSaved).arg(QDir::toNativeSeparators(file_)));
}

void ProgrammeDialog::use()
{
    if (seams_.guard) {
        if (const QString why = seams_.guard(); !why.isEmpty()) {
            frame_.notify(why);
            return;
        }
    }
    const Programme p = programme();
    if (const QString why = checkProgramme(p); !why.isEmpty()) {
        frame_.notify(str(texts::programmeNotUsed).arg(why));
        return;
    }
    // The file is remembered only while it holds what is used.
    QString file;
    if (!file_.isEmpty()) {
        const ProgrammeRead onDisk = readProgrammeFile(file_);
        if (onDisk.ok() && *onDisk.programme == p)
            file = file_;
    }
    choice_.choose(p, file);
    rememberProgrammeFile(optionsFile_, choice_, frame_);
    inUse_->setText(describeChoice(choice_));
    frame_.notify(str(texts::programmeChosen)
                      .arg(file.isEmpty() ? str(texts::programmeUnsaved)
                                          : u'「' + QDir::toNativeSeparators(file) + u'」')
                      .arg(p.parts.size())
                      .arg(schedule::countdown(p.total())));
}

void ProgrammeDialog::useNone()
{
    if (seams_.guard) {
        if (const QString why = seams_.guard(); !why.isEmpty()) {
            frame_.notify(why);
            return;
        }
    }
    choice_.choose(std::nullopt, {});
    rememberProgrammeFile(optionsFile_, choice_, frame_);
    inUse_->setText(describeChoice(choice_));
    frame_.notify(str(texts::programmeNoneChosen));
}

ProgrammeEditor::ProgrammeEditor(FramePort &frame, ProgrammeChoice &choice, ProgrammeSeams seams, QString optionsFile,
                                 QObject *parent)
    : QObject(parent), frame_(frame), choice_(choice), seams_(std::move(seams)), optionsFile_(std::move(optionsFile))
{
}

void ProgrammeEditor::addActionTo(FramePort &frame)
{
    connect(frame.addMenuAction(str(texts::programmeAction), QKeySequence(Qt::Key_F4)), &QAction::triggered, this,
            &ProgrammeEditor::edit);
}

void ProgrammeEditor::load(const QString &given)
{
    QString path = given;
    if (path.isEmpty()) {
        QSettings options(optionsFile_, QSettings::IniFormat);
        path = options.value(kProgrammeGroup + u'/' + kProgrammeFileKey).toString().left(4096);
    }
    if (path.isEmpty())
        return;
    if (const QString why = chooseProgrammeFile(choice_, path); !why.isEmpty()) {
        frame_.notify(why);
        return;
    }
    if (!given.isEmpty())
        rememberProgrammeFile(optionsFile_, choice_, frame_);
}

void ProgrammeEditor::edit()
{
    ProgrammeDialog dialog(frame_, choice_, seams_, optionsFile_, frame_.dialogParent());
    dialog.exec();
}

} // namespace tavrin
