#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hotkeys/HotkeyBackend.h"

namespace vorlune {

// A hotkey backend for tests: records what is held, lets a test play another program that holds
// a combination, and presses combinations or fires ids as the system would.
class FakeHotkeyBackend final : public HotkeyBackend {
  public:
    bool Grab(std::int32_t id, HotkeyCombination combination) override;
    void Release(std::int32_t id) override;
    void SetFiredHandler(FiredHandler handler) override { handler_ = std::move(handler); }
    [[nodiscard]] bool Available() const override { return available_; }
    [[nodiscard]] bool OnlyWithX11Focus() const override { return onlyWithX11Focus_; }
    [[nodiscard]] bool BindsSets() const override { return bindsSets_; }
    void BindSet(const std::vector<HotkeyBinding>& set) override { sets_.push_back(set); }
    void SetBoundHandler(const BoundHandler& handler) override { bound_ = handler; }

    // Test controls.
    void SetAvailable(bool available) { available_ = available; }
    // As key grabs through XWayland in a Wayland session.
    void SetOnlyWithX11Focus(bool only) { onlyWithX11Focus_ = only; }
    void HoldElsewhere(HotkeyCombination combination) { heldElsewhere_.insert(Key(combination)); }
    // Fires the id if it holds a combination; false otherwise.
    bool Fire(std::int32_t id);
    // Presses a combination: fires the id that holds it; false when none does.
    bool Press(HotkeyCombination combination);

    // As a desktop that binds whole sets (the global-shortcuts portal): Grab is refused, every
    // BindSet is kept, and the test answers for the desktop. Fire then fires ids of the last set.
    void SetBindsSets(bool binds) { bindsSets_ = binds; }
    [[nodiscard]] const std::vector<std::vector<HotkeyBinding>>& Sets() const { return sets_; }
    // Every id of the last set gets a trigger naming its combination, except those given here
    // with a trigger of their own ("-": left out, as a desktop that gave it none).
    void Answer(const std::map<std::int32_t, std::string>& others = {});
    // The desktop refused the whole set, or the session ended.
    void AnswerNothing();

    // What is held now.
    [[nodiscard]] std::optional<HotkeyCombination> Held(std::int32_t id) const;
    [[nodiscard]] const std::map<std::int32_t, HotkeyCombination>& AllHeld() const { return held_; }
    [[nodiscard]] std::size_t GrabCalls() const { return grabCalls_; }
    [[nodiscard]] std::size_t ReleaseCalls() const { return releaseCalls_; }

  private:
    static std::pair<std::uint32_t, std::int32_t> Key(HotkeyCombination c) {
        return {c.modifiers, c.key};
    }

    FiredHandler handler_;
    BoundHandler bound_;
    bool available_ = true;
    bool onlyWithX11Focus_ = false;
    bool bindsSets_ = false;
    std::vector<std::vector<HotkeyBinding>> sets_;
    std::map<std::int32_t, HotkeyCombination> held_;
    std::set<std::pair<std::uint32_t, std::int32_t>> heldElsewhere_;
    std::size_t grabCalls_ = 0;
    std::size_t releaseCalls_ = 0;
};

}  // namespace vorlune
