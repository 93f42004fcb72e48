#include "GuardExpectations.h"

#include <gtest/gtest.h>

namespace guard_e2e {

void expectAnswered(const Events& all, const Events& questions, long long pid,
                    const std::string& answer) {
    const Events answers = eventsWith<wire::events::Answer>(all, "pid", pid);
    for (const Json& question : questions) {
        const long long argument = question.value("argument", -1LL);
        size_t count = 0;
        for (const Json& a : answers) {
            if (a.value("argument", -2LL) != argument) continue;
            ++count;
            EXPECT_EQ(a.value("answer", ""), answer) << a.dump();
            EXPECT_EQ(a.value("message", ""), question.value("message", "")) << a.dump();
        }
        EXPECT_EQ(count, 1u) << "answers of " << pid << " to " << question.dump();
    }
}

void expectNoMissedOrStrayAnswers(const Events& all, long long pid) {
    const Events missed = eventsWith<wire::events::NoAnswer>(all, "pid", pid);
    const Events stray = eventsWith<wire::events::StrayAnswer>(all, "pid", pid);
    EXPECT_TRUE(missed.empty()) << missed.front().dump();
    EXPECT_TRUE(stray.empty()) << stray.front().dump();
}

}  // namespace guard_e2e
