#pragma once

// The questions a room missed while it was held, block by block: worked
// out from the plan, carried in its status, kept by the journal and shown
// in the record.

#include "programme.h"

#include <QString>

#include <optional>
#include <vector>

namespace tavrin {

// Questions first..last of one block. part numbers the parts as the record
// does (1..); 0 stands for the block it was held in, where the plan has no
// parts of its own to name (the three boxes', or a room too old to say).
struct LostQuestions {
    int part = 0;
    int first = 0;
    int last = 0;
    friend bool operator==(const LostQuestions &, const LostQuestions &) = default;
};

// Every question of plan from question `from` of the part fromPart (index)
// up to question `to` of the part toPart, both included, breaks passed
// over; a `to` beyond a block's questions takes all of them. numbered: the
// parts are named (a programme), or not (0).
std::vector<LostQuestions> questionsBetween(const Programme &plan, int fromPart, int from, int toPart, int to,
                                            bool numbered);

// As the journal keeps them: "part:first-last" joined by spaces, "" for
// none. Read back only when every entry is within the plan's bounds.
QString lostKey(const std::vector<LostQuestions> &lost);
std::optional<std::vector<LostQuestions>> lostFromKey(const QString &key);

// As the operator reads them: "なし", "3～5 問目", "第 2 部 3～5 問目、第 4 部 1 問目".
QString lostText(const std::vector<LostQuestions> &lost);
QString lostText(int first, int last); // one range of the block it was held in

// Whether entries are within bounds and in order (parts rising); what the
// wire and the journal take.
bool lostValid(const std::vector<LostQuestions> &lost);

} // namespace tavrin
