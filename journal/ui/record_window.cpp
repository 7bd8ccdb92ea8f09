#include "record_window.h"

#include "journal.h"
#include "record.h"
#include "texts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tavrin {

using texts::str;

void RecordModel::setRecord(const QStringList &header, const QList<QStringList> &rows)
{
    beginResetModel();
    header_ = header;
    rows_ = rows;
    endResetModel();
}

int RecordModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int RecordModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(header_.size());
}

QVariant RecordModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const QString cell = rows_[index.row()].value(index.column());
    if (role == Qt::DisplayRole)
        return QString(cell).replace(u'\n', u' ');
    // A long line (a room's cue report, a notice) is cut at the window's
    // edge: it is shown whole under the pointer.
    if (role == Qt::ToolTipRole && (cell.contains(u'\n') || cell.size() > 30))
        return cell;
    return {};
}

QVariant RecordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return header_.value(section);
    return section + 1;
}

RecordWindow::RecordWindow(Journal &journal, QWidget *parent) : QWidget(parent, Qt::Window), journal_(journal)
{
    // A window of its own: not the examination's black face.
    setPalette(QApplication::palette());
    setFont(QApplication::font());
    setWindowTitle(str(texts::recordTitle));
    resize(1100, 520);

    model_ = new RecordModel(this);
    view_ = new QTableView(this);
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setAlternatingRowColors(true);
    view_->setWordWrap(false);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);

    status_ = new QLabel(this);
    auto *refreshButton = new QPushButton(str(texts::recordRefresh), this);
    auto *saveButton = new QPushButton(str(texts::recordSave), this);
    auto *holdsButton = new QPushButton(str(texts::holdsExport), this);
    auto *closeButton = new QPushButton(str(texts::recordClose), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(refreshButton);
    buttons->addWidget(saveButton);
    buttons->addWidget(holdsButton);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    layout->addLayout(buttons);

    connect(refreshButton, &QPushButton::clicked, this, &RecordWindow::refresh);
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(holdsButton, &QPushButton::clicked, this, [this] { saveHolds(); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(&journal_, &Journal::recordRead, this,
            [this](const QList<QStringList> &rows, const QString &error) {
                model_->setRecord(journal::recordHeader(), rows);
                status_->setText(error.isEmpty() ? str(texts::recordRows).arg(rows.size()) : error);
                view_->resizeColumnsToContents();
                view_->scrollToBottom();
                emit refreshed();
            });
    connect(&journal_, &Journal::exported, this, [this](const QString &file, int rows, const QString &error) {
        status_->setText(error.isEmpty() ? str(texts::recordSaved).arg(QDir::toNativeSeparators(file)).arg(rows)
                                         : str(texts::recordSaveFailed).arg(QDir::toNativeSeparators(file), error));
        emit saved(error);
    });
}

void RecordWindow::showAndRefresh()
{
    show();
    raise();
    activateWindow();
    refresh();
}

void RecordWindow::refresh()
{
    journal_.readRecord();
}

void RecordWindow::save(const QString &file)
{
    QString name = file;
    if (name.isEmpty())
        name = QFileDialog::getSaveFileName(this, str(texts::recordSaveTitle),
                                            QDir::current().filePath(str(texts::recordSaveName)),
                                            str(texts::recordSaveFilter));
    if (!name.isEmpty())
        journal_.exportCsv(name);
}

void RecordWindow::saveHolds(const QString &file)
{
    QString name = file;
    if (name.isEmpty())
        name = QFileDialog::getSaveFileName(this, str(texts::holdsExportTitle),
                                            QDir::current().filePath(str(texts::holdsSaveName)),
                                            str(texts::recordSaveFilter));
    if (!name.isEmpty())
        journal_.exportHoldsCsv(name);
}

QString RecordWindow::status() const
{
    return status_->text();
}

} // namespace tavrin
