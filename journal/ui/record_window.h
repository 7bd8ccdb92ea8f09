#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QWidget>

class QLabel;
class QTableView;

namespace tavrin {

class Journal;

// The rows of the record, as read from the journal.
class RecordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setRecord(const QStringList &header, const QList<QStringList> &rows);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList header_;
    QList<QStringList> rows_;
};

// The exam record of the present and past runs, one row per event, and its
// saving as CSV. Everything it reads and writes goes through the journal's
// own thread, so that the clock never waits for the disk.
class RecordWindow : public QWidget {
    Q_OBJECT
public:
    explicit RecordWindow(Journal &journal, QWidget *parent = nullptr);
    void showAndRefresh();
    void refresh();
    // Saves the record to file (asks for a name when empty).
    void save(const QString &file = {});
    // The rooms' holds alone, as a CSV of incidents.
    void saveHolds(const QString &file = {});
    QTableView *view() const { return view_; }
    QString status() const;

signals:
    void refreshed();
    void saved(const QString &error);

private:
    Journal &journal_;
    RecordModel *model_ = nullptr;
    QTableView *view_ = nullptr;
    QLabel *status_ = nullptr;
};

} // namespace tavrin
