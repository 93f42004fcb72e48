#include "TestActivity.h"

namespace platform::testing {

void TestActivity::userActivity() { log_.add(UserActivity{}); }

}  // namespace platform::testing
