#pragma once

#include <QWidget>
#include <array>

class QToolButton;

namespace vorlune {

inline constexpr int kToolbarButtons = 6;
inline constexpr int kSettingsPage = 5;

// The six picture buttons across the top that switch pages. The button of the page shown is
// marked by an underlined caption; the mark is only ever set, never read back by the program.
class CategoryToolbar : public QWidget {
    Q_OBJECT
  public:
    explicit CategoryToolbar(QWidget* parent = nullptr);

    // Marks button page+1 and unmarks the others, button 1 to 6.
    void MarkOnly(int page);
    // Marks button n (1..6) without touching the others.
    void AddMark(int button);
    [[nodiscard]] bool IsMarked(int button) const;
    [[nodiscard]] QToolButton* Button(int button) const;

  signals:
    void categoryClicked(int page);

  private:
    void SetMarked(int button, bool marked) const;
    std::array<QToolButton*, kToolbarButtons> buttons_{};
};

}  // namespace vorlune
