#include "app/CategoryToolbar.h"

#include <QToolButton>

#include "decoration/Fonts.h"

namespace vorlune {
namespace {

struct ToolbarButton {
    int left;
    const char* caption;
    const char* tooltip;
};

constexpr std::array<ToolbarButton, kToolbarButtons> kButtons{{
    {25, "常用音效", "常用音效"},
    {114, "喊麦音效", "喊麦音效"},
    {203, "搞笑音效", "搞笑音效"},
    {294, "游戏音效", "游戏音效"},
    {384, "DIY音效", "DIY音效,右键选择添加"},
    {478, "拓展中心", "拓展中心"},
}};

constexpr int kTop = 5;

}  // namespace

CategoryToolbar::CategoryToolbar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("toolbar"));
    for (int i = 0; i < kToolbarButtons; ++i) {
        auto* button = new QToolButton(this);
        const ToolbarButton& b = kButtons[static_cast<std::size_t>(i)];
        button->setObjectName(QStringLiteral("超级按钮%1").arg(i + 1));
        button->setGeometry(b.left, kTop, 69, 65);
        button->setText(QString::fromUtf8(b.caption));
        button->setToolTip(QString::fromUtf8(b.tooltip));
        button->setIcon(QIcon(QStringLiteral(":/icons/toolbar%1.svg").arg(i + 1)));
        button->setIconSize(QSize(52, 45));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::PointingHandCursor);
        button->setFont(YaHeiFont(9, true));
        connect(button, &QToolButton::clicked, this, [this, i] { emit categoryClicked(i); });
        buttons_[static_cast<std::size_t>(i)] = button;
    }
}

QToolButton* CategoryToolbar::Button(int button) const {
    return buttons_.at(static_cast<std::size_t>(button - 1));
}

void CategoryToolbar::SetMarked(int button, bool marked) const {
    QToolButton* b = Button(button);
    QFont font = b->font();
    font.setUnderline(marked);
    b->setFont(font);
}

void CategoryToolbar::MarkOnly(int page) {
    for (int button = 1; button <= kToolbarButtons; ++button) {
        SetMarked(button, button == page + 1);
    }
}

void CategoryToolbar::AddMark(int button) {
    SetMarked(button, true);
}

bool CategoryToolbar::IsMarked(int button) const {
    return Button(button)->font().underline();
}

}  // namespace vorlune
