// Helpers shared by the tests.
#pragma once

#include <QString>
#include <chrono>
#include <functional>

namespace testsupport {

// Directory of the built executables (bin/ of the build tree).
QString BinDir();
// The tests' fixture directory (tests/data).
QString DataDir();

// Runs the Qt event loop until pred() is true or the timeout passes; returns pred().
bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Runs the Qt event loop for the given time.
void Pump(std::chrono::milliseconds duration);

}  // namespace testsupport
