#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

class QWidget;

namespace vorlune {

// Qt drops without a trace a window manager's close that reaches a window while a message box
// blocks it. The close can be clicked before the box's answer is handled (the answer may still
// be on its way through an input method, or the box is answered a moment later), and the window
// would then neither ask nor close. The close is kept and made again once the box has gone, so
// it asks like any other.
class BlockedCloseKeeper final : public QObject, public QAbstractNativeEventFilter {
  public:
    explicit BlockedCloseKeeper(QWidget& window, QObject* parent = nullptr);
    ~BlockedCloseKeeper() override;
    BlockedCloseKeeper(const BlockedCloseKeeper&) = delete;
    BlockedCloseKeeper& operator=(const BlockedCloseKeeper&) = delete;

    // While the window's own close question is open a further close is answered by it, not
    // kept for later.
    void SetAsking(bool asking) { asking_ = asking; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The close is made again once the box has gone.
    void KeepClose();

    QWidget& window_;
    bool kept_ = false;
    bool asking_ = false;
};

}  // namespace vorlune
