#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "hotkeys/HotkeyBackend.h"

class QDBusServiceWatcher;

namespace vorlune {

// Global hotkeys from the desktop's xdg-desktop-portal (org.freedesktop.portal.GlobalShortcuts).
// A portal binds a session's shortcuts once, so a new set closes the session and binds the set
// in a new one, under a token of its own: a session that answers after the program gave up on it
// is closed then, and never stands in the way of a later one. No call waits for the portal; its
// replies and answers come as events. When the portal goes away and comes back, the set that
// waits, or else the last one, is bound again.
class PortalHotkeyBackend final : public QObject, public HotkeyBackend {
    Q_OBJECT
  public:
    // The name of the program's desktop entry, under which desktops file its shortcuts.
    static constexpr const char* kAppId = "io.github.vorlune.Vorlune";

    // Whether the bus has a portal that offers global shortcuts, or one that is there but does
    // not answer yet: the one question the program waits for at start (a second at most), since
    // it chooses between the portal and X11. First
    // tells the portal the program's app id, without waiting (again whenever the portal comes
    // back after it went away).
    static bool Offered(const QDBusConnection& bus);

    explicit PortalHotkeyBackend(QDBusConnection bus);
    ~PortalHotkeyBackend() override;
    PortalHotkeyBackend(const PortalHotkeyBackend&) = delete;
    PortalHotkeyBackend& operator=(const PortalHotkeyBackend&) = delete;

    bool Grab(std::int32_t id, HotkeyCombination combination) override;
    void Release(std::int32_t /*id*/) override {}
    void SetFiredHandler(FiredHandler handler) override { fired_ = std::move(handler); }
    [[nodiscard]] bool Available() const override { return true; }
    [[nodiscard]] bool BindsSets() const override { return true; }
    void BindSet(const std::vector<HotkeyBinding>& set) override;
    void SetBoundHandler(const BoundHandler& handler) override { bound_ = handler; }

  private slots:
    void OnResponse(const QDBusMessage& message);
    void OnActivated(const QDBusMessage& message);
    void OnShortcutsChanged(const QDBusMessage& message);
    void OnSessionClosed(const QDBusMessage& message);
    void OnPortalGone();
    void OnPortalBack();

  private:  // NOLINT(readability-redundant-access-specifiers): moc needs the slots apart
    using ResponseHandler = std::function<void(unsigned response, const QVariantMap& results)>;

    // Starts the next set waiting, unless a bind is under way.
    void BindNext();
    // Asks the portal to close the session and goes on at once.
    void CloseSession(const QString& session);
    void CreateSession(std::uint64_t bind, const std::vector<HotkeyBinding>& set);
    void BindShortcuts(std::uint64_t bind, const std::vector<HotkeyBinding>& set);
    // Whether the bind is the one under way; the answers of others come too late.
    [[nodiscard]] bool Current(std::uint64_t bind) const { return busy_ && bind == bind_; }
    void Finish(std::uint64_t bind, const std::optional<std::vector<BoundTrigger>>& triggers);
    // Calls a portal method that answers through a Request object. Nothing waits: `failed` runs
    // when the call itself fails, and the handler when the answer comes, however late.
    void CallWithRequest(const QString& method, const QVariantList& arguments,
                         const QString& handleToken, ResponseHandler handler,
                         std::function<void()> failed);
    void ForgetRequests();
    void Report(const std::optional<std::vector<BoundTrigger>>& triggers);

    QDBusConnection bus_;
    QDBusServiceWatcher* watcher_ = nullptr;
    FiredHandler fired_;
    BoundHandler bound_;
    std::map<QString, ResponseHandler> pending_;  // by request object path
    QString session_;
    std::vector<HotkeyBinding> sessionSet_;
    std::optional<std::vector<HotkeyBinding>> waiting_;
    bool busy_ = false;
    std::uint64_t bind_ = 0;  // counts the binds started
    unsigned requests_ = 0;
};

}  // namespace vorlune
