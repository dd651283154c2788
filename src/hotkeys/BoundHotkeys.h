#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hotkeys/HotkeyBackend.h"

namespace vorlune {

// The hotkeys that a desktop holds for the program as one set (the global-shortcuts portal),
// and what it answered. The set is handed over again only when its combinations changed (a
// hotkey added, changed or cleared): a new bind may ask the user again, and a hotkey's name
// alone is not worth that. An id holds its combination only when the desktop's trigger for it
// names that combination; the desktop decides, and may have given another one or none.
class BoundHotkeys {
  public:
    enum class State {
        Waiting,  // handed over, no answer yet (the desktop may be asking the user)
        Held,     // the desktop's trigger is the stored combination
        Refused,  // another trigger, none, or not in the set at all
    };

    explicit BoundHotkeys(HotkeyBackend& backend);
    ~BoundHotkeys();
    BoundHotkeys(const BoundHotkeys&) = delete;
    BoundHotkeys& operator=(const BoundHotkeys&) = delete;

    // Hands the set over unless it has the same ids with the same combinations as the last
    // one; true when it did.
    bool Bind(std::vector<HotkeyBinding> set);
    // Hands the last set over again, the same as it is: the way back after a refusal.
    void BindAgain();
    // Whether the desktop's last word was that it holds nothing of the set: the user cancelled
    // its dialog, the portal closed the session or went away. A set with nothing in it is no
    // refusal.
    [[nodiscard]] bool Lost() const { return lost_; }

    // Whether the id is in the set handed over last.
    [[nodiscard]] bool Contains(std::int32_t id) const;
    [[nodiscard]] State StateOf(std::int32_t id) const;
    // For an id of the set that the desktop answered with another trigger than its combination:
    // that trigger in the desktop's words (empty when it gave none).
    [[nodiscard]] std::optional<std::string> OtherTrigger(std::int32_t id) const;
    [[nodiscard]] const std::vector<HotkeyBinding>& Set() const { return set_; }
    // How many sets were handed over.
    [[nodiscard]] std::size_t Binds() const { return binds_; }

    // Runs after every answer of the desktop, also when the user changed a trigger there.
    void SetAnsweredHandler(std::function<void()> answered) { answered_ = std::move(answered); }

  private:
    void OnAnswer(const std::optional<std::vector<BoundTrigger>>& triggers);

    HotkeyBackend& backend_;
    std::vector<HotkeyBinding> set_;
    bool hasAnswer_ = false;
    bool lost_ = false;
    std::map<std::int32_t, std::string> triggers_;  // by id, as the desktop last gave them
    std::size_t binds_ = 0;
    std::function<void()> answered_;
};

}  // namespace vorlune
