// Checks on the guard's conduct in the event log that several scenarios share.
#pragma once

#include <string>

#include "GuardLog.h"

namespace guard_e2e {

// Each of `questions` was answered by `pid` exactly once, with `answer` ("cancel" or "allow")
// and the question's own argument; `all` is the whole log the answers are looked up in.
void expectAnswered(const Events& all, const Events& questions, long long pid,
                    const std::string& answer);

// The daemon never let a question go unanswered, nor answered one it was not asked.
void expectNoMissedOrStrayAnswers(const Events& all, long long pid);

}  // namespace guard_e2e
