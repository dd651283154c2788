#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/KeepAbove.h"
#include "app/ProgramExit.h"
#include "app/SystemTray.h"

namespace vorlune::test {

// The one QApplication of a widget test program, created on first use.
void EnsureQApplication();

// The object names of the labels in `root` that show `text` and that Qt reads as markup instead
// of showing their text as it is.
std::vector<std::string> LabelsReadAsMarkup(const QWidget& root, const QString& text);

// Records the keep-above state asked for each window instead of asking a window manager.
class FakeKeepAbove final : public KeepAbove {
  public:
    void SetKeepAbove(QWidget* window, bool above) override;
    bool IsKeptAbove(const QWidget* window) const override;
    std::vector<bool> requests;

  private:
    std::vector<std::pair<const QWidget*, bool>> states_;
};

// A tray that is there unless the test says otherwise, an XEmbed one unless it says otherwise;
// it keeps the icon and tip shown, and the test emits `activated` as the desktop would.
class FakeSystemTray final : public SystemTray {
  public:
    bool Available() const override { return available; }
    TrayKind Kind() const override { return kind; }
    void ShowIcon(const QString& pictureFile, const QString& tip) override;
    void RemoveIcon() override { picture.reset(); }

    bool IsShown() const { return picture.has_value(); }
    // true for the program's "on" picture, false for any other; nothing without an icon.
    std::optional<bool> ShownState() const;
    // The tip shown last; it stays when the icon goes.
    QString Tip() const { return tip; }

    bool available = true;
    TrayKind kind = TrayKind::XEmbed;
    std::optional<QString> picture;
    QString tip;
};

// Records the exit codes instead of leaving the event loop; `onEnd` runs at that moment.
class FakeProgramExit final : public ProgramExit {
  public:
    void EndProcess(int code) override;
    std::vector<int> codes;
    std::function<void(int)> onEnd;
};

}  // namespace vorlune::test
