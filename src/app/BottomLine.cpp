#include "app/BottomLine.h"

#include <QMouseEvent>
#include <QPushButton>

#include "decoration/Fonts.h"

namespace vorlune {
namespace {

QRect At(int x, int y, int w, int h) {
    return {x, y - BottomLine::kTop, w, h};
}

void AddPicture(QWidget* parent, const char* name, const char* icon, QRect geometry, int size) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(QString::fromUtf8(name));
    picture->setGeometry(geometry);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(QIcon(QString::fromUtf8(icon)).pixmap(size, size));
}

}  // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    setText(
        QStringLiteral("<a href=\"#\" style=\"color:#1a5fb4;\">%1</a>").arg(text.toHtmlEscaped()));
    setTextInteractionFlags(Qt::NoTextInteraction);
    setCursor(Qt::PointingHandCursor);
    setFont(YaHeiFont());
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit pressed();
    }
    QLabel::mousePressEvent(event);
}

BottomLine::BottomLine(QWidget* parent) : QWidget(parent) {
    outputLink_ = new LinkLabel(QStringLiteral("输出音频:"), this);
    outputLink_->setObjectName(QStringLiteral("超级链接框_注册使用1"));
    outputLink_->setGeometry(At(9, 544, 57, 16));

    devices_ = new DeviceComboBox(this);
    devices_->setObjectName(QStringLiteral("组合框1"));
    devices_->setGeometry(At(69, 540, 192, 25));
    devices_->setFont(YaHeiFont());

    apply_ = new QPushButton(QStringLiteral("应用"), this);
    apply_->setObjectName(QStringLiteral("按钮_通道应用"));
    apply_->setGeometry(At(262, 541, 45, 22));
    apply_->setFont(YaHeiFont());
    apply_->setEnabled(false);

    AddPicture(this, "超级按钮_微信图标", ":/icons/messaging.svg", At(309, 540, 24, 24), 20);
    contact_ = new LinkLabel(QStringLiteral("联系我们"), this);
    contact_->setObjectName(QStringLiteral("超级链接框_注册使用2"));
    contact_->setGeometry(At(335, 543, 54, 16));

    AddPicture(this, "超级按钮_淘宝图标", ":/icons/shop.svg", At(392, 539, 24, 24), 20);
    shop_ = new LinkLabel(QStringLiteral("淘宝购买"), this);
    shop_->setObjectName(QStringLiteral("超级链接框_淘宝图标"));
    shop_->setGeometry(At(422, 543, 54, 16));

    AddPicture(this, "超级按钮_帮助图标", ":/icons/help.svg", At(480, 539, 24, 24), 24);
    help_ = new LinkLabel(QStringLiteral("使用帮助"), this);
    help_->setObjectName(QStringLiteral("超级链接框_使用帮助"));
    help_->setGeometry(At(507, 542, 54, 16));
}

}  // namespace vorlune
