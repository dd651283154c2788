#pragma once

#include <chrono>
#include <functional>

namespace vorlune::test {

// Polls done() every `every` until it holds (true) or the limit has passed (false).
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds limit = std::chrono::seconds(5),
             std::chrono::milliseconds every = std::chrono::milliseconds(10));

}  // namespace vorlune::test
