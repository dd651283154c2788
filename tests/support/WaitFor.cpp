#include "WaitFor.h"

#include <thread>

namespace vorlune::test {

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit,
             std::chrono::milliseconds every) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(every);
    }
    return true;
}

}  // namespace vorlune::test
