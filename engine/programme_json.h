#pragma once

#include "programme.h"

#include <QJsonArray>
#include <QJsonValue>

#include <optional>

namespace tavrin {

// A plan as JSON, one object a part, the same in the journal, on the wire
// and in the browser's page. Reading it back bounds every number, string
// and count, and takes only a plan the engine can run; anything else is
// refused whole.
QJsonArray programmeJson(const Programme &plan);
std::optional<Programme> programmeFromJson(const QJsonValue &value);

} // namespace tavrin
