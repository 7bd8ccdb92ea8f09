#pragma once

// The programme's editor (F4) and the choice it makes: a table of blocks and
// breaks that can be added, removed and reordered, with the total and each
// part's times; open, save as, use, or none (back to the three boxes). The
// file last used is kept in the options file and read again at start.

#include "programme.h"

#include <QDialog>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QTableWidget;

namespace tavrin {

class FramePort;
class ProgrammeChoice;

// Where the editor finds what it shows beside the parts.
struct ProgrammeSeams {
    std::function<Programme()> boxes;                 // the three boxes' one block
    std::function<std::optional<qint64>()> start;     // a start at a time of day
    std::function<QString()> guard;                   // a text when no choice may be made now
};

class ProgrammeDialog : public QDialog {
    Q_OBJECT
public:
    ProgrammeDialog(FramePort &frame, ProgrammeChoice &choice, const ProgrammeSeams &seams,
                    const QString &optionsFile, QWidget *parent);

    // The parts as the table holds them.
    Programme programme() const { return Programme{parts_}; }
    void setParts(std::vector<Part> parts);
    QTableWidget *table() const { return table_; }

private:
    void rebuild();
    void refreshTimes();
    void addPart(Part::Kind kind);
    void removePart();
    void movePart(int by);
    void open();
    void saveAs();
    void use();
    void useNone();
    int currentRow() const;

    FramePort &frame_;
    ProgrammeChoice &choice_;
    const ProgrammeSeams &seams_;
    const QString optionsFile_;
    std::vector<Part> parts_;
    QString file_; // the file the table was last opened from or saved to
    QTableWidget *table_ = nullptr;
    QLabel *total_ = nullptr;
    QLabel *inUse_ = nullptr;
};

// The menu entry, the command line's file and the one remembered.
class ProgrammeEditor : public QObject {
    Q_OBJECT
public:
    ProgrammeEditor(FramePort &frame, ProgrammeChoice &choice, ProgrammeSeams seams, QString optionsFile,
                    QObject *parent = nullptr);

    void addActionTo(FramePort &frame);
    // At start: the file given (--programme), else the one last used. A file
    // refused is told, and the programme stays none.
    void load(const QString &given);
    void edit();

private:
    FramePort &frame_;
    ProgrammeChoice &choice_;
    ProgrammeSeams seams_;
    const QString optionsFile_;
};

// Reads path and makes it the choice: empty, or the notice of its refusal
// (the choice unchanged).
QString chooseProgrammeFile(ProgrammeChoice &choice, const QString &path);
// Keeps the choice's file in the options file, or forgets it for none.
void rememberProgrammeFile(const QString &optionsFile, const ProgrammeChoice &choice, FramePort &frame);

} // namespace tavrin
