#pragma once

#include <QDialog>
#include <QTimer>
#include <optional>
#include <string>

#include "hotkeys/capture/HotkeyCapture.h"
#include "slots/editing/SlotDialogMode.h"
#include "slots/editing/SlotEditingServices.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace vorlune {

// The small frameless window in which the user gives the current slot its name, file and
// hotkey, or sets one of the three special hotkeys, as its mode says. It works on the slot
// that was current when it opened. While it exists every key
// pressed on the desktop is captured into its hotkey box; when it goes, no slot is current any
// more and the last trigger's hotkey is forgotten.
class SlotDialog : public QDialog {
    Q_OBJECT
  public:
    SlotDialog(const SlotEditingServices& services, HotkeyCapture& capture, SlotDialogMode mode,
               QWidget* parent = nullptr);
    ~SlotDialog() override;

    [[nodiscard]] QTabWidget* Pages() const { return pages_; }

    // The desktop answered a bind: a report of "应用" that waited for it is finished.
    void HotkeysAnswered();
    // A shortcut the desktop kept from every window fired: on the hotkey page its combination
    // (display form) is taken as typed, and the check finds the slot it played.
    void CaptureShortcut(const std::string& display);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildTitleStrip();
    void BuildSoundPage();
    void BuildHotkeyPage();
    void SetUp();

    // Sound page.
    void SetName(const QString& text);
    void SetPath(const QString& text);
    void SoundFieldChanged();
    void Browse();
    void ApplySound();

    // Hotkey page.
    void OnKey(std::int32_t heldModifier, std::int32_t keyCode, bool pressed);
    void Capture(const QString& display);
    // On the hotkey page of a desktop that refused the hotkeys: the way back, asked once.
    void AskDesktopAgain();
    void HotkeyCheck();
    void ApplyHotkey();
    [[nodiscard]] bool HotkeyShouldBeRegistered() const;
    void ReportRegistration(const std::string& name, const std::string& display);
    [[nodiscard]] std::int32_t HotkeyId() const;

    SlotEditingServices services_;
    HotkeyCapture& capture_;
    HotkeyCapture::Token captureToken_ = 0;
    SlotDialogMode mode_;
    // The special hotkey the dialog sets; none in the modes of the slot's own pages.
    const SpecialHotkeyInfo* special_;
    // The slot whose section was current at opening (0 for none): its hotkey is the dialog's
    // own text. Only in modes 0 and 1 does the dialog write to it.
    std::int32_t currentSlot_ = 0;
    std::optional<std::int32_t> editedSlot_;
    std::string captured_;
    std::string ownText_;
    QPoint dragOffset_;
    // What "应用" reports once the desktop answers: the name and the hotkey applied.
    std::optional<std::pair<std::string, std::string>> awaitedReport_;
    bool systemMove_ = false;

    QLabel* title_ = nullptr;
    QPushButton* close_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPushButton* del_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* applySound_ = nullptr;
    QLabel* soundStatus_ = nullptr;
    QLineEdit* hotkey_ = nullptr;
    QPushButton* clearHotkey_ = nullptr;
    QPlainTextEdit* hint_ = nullptr;
    QPushButton* applyHotkey_ = nullptr;
    QLabel* hotkeyStatus_ = nullptr;
    QTimer checkTimer_;
};

}  // namespace vorlune
