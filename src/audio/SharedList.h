#pragma once

#include <algorithm>
#include <memory>
#include <vector>

namespace vorlune {

// Takes the element that points to `item` out of `list` and hands it over, so that the caller
// lets go of it (perhaps the last reference) after it has released whatever lock guards the list.
template <typename T>
std::shared_ptr<T> TakeOut(std::vector<std::shared_ptr<T>>& list, const T* item) {
    std::shared_ptr<T> taken;
    auto it =
        std::find_if(list.begin(), list.end(), [item](const auto& e) { return e.get() == item; });
    if (it != list.end()) {
        taken = std::move(*it);
        list.erase(it);
    }
    return taken;
}

}  // namespace vorlune
