#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

#include "slots/SlotLayout.h"
#include "slots/SlotStore.h"

class QLabel;
class QPushButton;
class QWidget;

namespace vorlune {

// The 209 slot buttons and their hotkey labels on the five category pages. A button's caption
// is the slot's name and its "tag" property the slot's file reference; these controls are the
// only in-memory copy of the slots. Every fill ends with `filled`, on which the program
// registers every hotkey again.
class SlotGrid : public QObject {
    Q_OBJECT
  public:
    explicit SlotGrid(SlotStore& store, QObject* parent = nullptr);

    // The page widget of category page 0..4 with its group box, buttons and labels. The grid
    // keeps pointers to the controls; the caller takes the widget into its page control.
    [[nodiscard]] QWidget* Page(int page) const {
        return pages_.at(static_cast<std::size_t>(page));
    }

    void LoadSlotGrid();
    // A number outside 1..209 fills nothing but still ends with `filled`.
    void RefreshSlot(int n);

    [[nodiscard]] QPushButton* Button(int n) const;
    [[nodiscard]] QLabel* Label(int n) const;
    [[nodiscard]] QString Tag(int n) const;

    static QString ButtonName(int n);
    static QString LabelName(int n);

  signals:
    void slotClicked(int n);
    void slotRightReleased(int n);
    // A load or a refresh is done.
    void filled();
    // Local files were dropped onto slot button n (the paths in the dropped order). Sent
    // after the drop has ended, so what it opens does not hold up the file manager.
    void filesDropped(int n, const QStringList& paths);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Fill(int n);
    // The slot of a button of the grid; 0 for anything else.
    [[nodiscard]] int SlotOf(const QObject* button) const;
    // A drag or drop over slot button n: local files are taken and the button shows itself as
    // the target; anything else (links, text) is ignored.
    bool DragEvent(int n, QEvent* event);
    void BuildPage(int page);

    SlotStore& store_;
    std::array<QWidget*, kCategoryPages> pages_{};
    std::array<QPushButton*, kSlotCount + 1> buttons_{};
    std::array<QLabel*, kSlotCount + 1> labels_{};
};

}  // namespace vorlune
