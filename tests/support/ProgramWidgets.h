#pragma once

#include <QApplication>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace vorlune {
class MainWindow;
class SlotDialog;
}  // namespace vorlune

namespace vorlune::test {

// The running program as a user meets it: its windows and menus among the top-level widgets,
// found by their object names, and the controls on them by theirs.

// The one main window ("MainWindow").
MainWindow& TheMainWindow();

// The one top-level widget of type T with this object name (menus pop up as top-level
// widgets); nullptr when there is none.
template <typename T>
T* TopLevel(const QString& objectName) {
    T* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<T*>(widget);
            candidate != nullptr && candidate->objectName() == objectName) {
            found = candidate;
        }
    }
    return found;
}

// Slot n's button and its hotkey label on the main window, and the file reference the button
// carries (its "tag").
QPushButton* SlotButton(int n);
QLabel* SlotLabel(int n);
QString SlotTag(int n);

// The main window's one-second monitor of the playing sound ("时钟_监控"), and one tick of it as
// its timer gives.
QTimer& MonitorTimer();
void TickMonitor();

// Runs `open`, which opens the modal slot dialog; once the dialog shows, `inside` runs and
// then the dialog's close button is clicked. False when no dialog opened.
bool WithSlotDialog(const std::function<void()>& open,
                    const std::function<void(SlotDialog&)>& inside);

}  // namespace vorlune::test
