#pragma once

#include "programme.h"

#include <QObject>
#include <QString>

#include <optional>

namespace tavrin {

// The programme the operator chose (from a file, the command line or the
// editor), or none: then the three boxes make the plan, as they always did.
// The parts that run or show a programme follow this one value.
class ProgrammeChoice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const std::optional<Programme> &current() const { return current_; }
    // The file it came from; empty for none, or one not saved yet.
    const QString &file() const { return file_; }

    void choose(std::optional<Programme> programme, const QString &file)
    {
        if (programme == current_ && file == file_)
            return;
        current_ = std::move(programme);
        file_ = file;
        emit changed();
    }

signals:
    void changed();

private:
    std::optional<Programme> current_;
    QString file_;
};

} // namespace tavrin
