// What the test platform needs of the Darwin notify center between tests. Not for the
// system's code.
#pragma once

namespace platform {
// Forgets every observation without a word to the notify service: the test backend that
// held the registrations is gone or is about to go, and so are the run loop's sources.
void forgetDarwinObservers();
}  // namespace platform
