#pragma once

#include <QCloseEvent>
#include <QStringList>
#include <QWidget>
#include <array>

class QLabel;
class QStackedWidget;
class QStatusBar;

namespace vorlune {

class BlockedCloseKeeper;
class BottomLine;
class CategoryToolbar;
class ControlStrip;
class SettingsPage;

// The main window: it assembles the regions (toolbar, pages, control strip, spectrum, bottom
// line, status bar) at their places and forwards the window's own events. What the controls do
// is wired by the application.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr QSize kClientSize{570, 590};

    // The five category pages come first in the page control, the settings page last.
    explicit MainWindow(const std::array<QWidget*, 5>& slotPages, QWidget* parent = nullptr);

    [[nodiscard]] CategoryToolbar* Toolbar() const { return toolbar_; }
    [[nodiscard]] QStackedWidget* Pages() const { return pages_; }
    [[nodiscard]] SettingsPage* Settings() const { return settings_; }
    [[nodiscard]] ControlStrip* Controls() const { return controls_; }
    [[nodiscard]] BottomLine* Bottom() const { return bottom_; }
    [[nodiscard]] QStatusBar* StatusBar() const { return statusBar_; }

    // The spectrum panel takes the place of the placeholder.
    void SetSpectrumPanel(QWidget* panel);
    [[nodiscard]] QWidget* SpectrumPanel() const { return spectrum_; }
    // A standing notice (no global hotkeys, no look for another copy) takes the place of the
    // status text; a later one joins those shown.
    void AddStatusNotice(const QString& text);

    void SetStatusText(const QString& text);
    // Back to the standing notices, or the text it starts with when there are none.
    void ResetStatusText();
    [[nodiscard]] QString StatusText() const;

  signals:
    // The close button, Alt+F4 or the window manager asks the window to close; a receiver
    // refuses by ignoring the event (connected directly, it answers before the window closes).
    void closeRequested(QCloseEvent* event);
    // The window has become minimised.
    void minimised();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    CategoryToolbar* toolbar_;
    QStackedWidget* pages_;
    SettingsPage* settings_;
    ControlStrip* controls_;
    QWidget* spectrum_;
    BottomLine* bottom_;
    QStatusBar* statusBar_;
    QLabel* statusLabel_;
    QStringList notices_;
    BlockedCloseKeeper* closeKeeper_;
};

}  // namespace vorlune
