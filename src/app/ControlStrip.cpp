#include "app/ControlStrip.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <string_view>

#include "app/SwitchButton.h"
#include "app/VolumeSlider.h"
#include "decoration/Fonts.h"

namespace vorlune {
namespace {

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* MakeLabel(QWidget* parent, std::string_view name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);  // the hotkey labels show stored text
    label->setObjectName(Utf8(name));
    label->setGeometry(geometry);
    label->setFont(YaHeiFont());
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

// The label under a button that shows the special hotkey's text.
QLabel* MakeHotkeyLabel(QWidget* parent, SpecialHotkey which, QRect geometry) {
    QLabel* label = MakeLabel(parent, SpecialHotkeyOf(which).label, QString(), geometry);
    QFont font = label->font();
    font.setPointSize(7);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: #2a6ebb;"));
    return label;
}

QPushButton* MakePictureButton(QWidget* parent, const char* name, const QString& tooltip,
                               QRect geometry) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(geometry);
    button->setToolTip(tooltip);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIconSize(QSize(36, 33));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

}  // namespace

ControlStrip::ControlStrip(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("分组框1"));
    MakeLabel(this, "透明标签_kjkgg", QStringLiteral("快捷键开关:"), {9, 22, 72, 15});
    hotkeySwitch_ = new SwitchButton(this);
    hotkeySwitch_->setObjectName(QStringLiteral("超级按钮_快捷控制"));
    hotkeySwitch_->setGeometry(82, 18, 80, 24);
    hotkeySwitch_->setToolTip(QStringLiteral("音效快捷键总开关（右键可设置快捷键）"));
    MakeHotkeyLabel(this, SpecialHotkey::MasterSwitch, {8, 37, 64, 13});

    MakeLabel(this, "透明标签1", QStringLiteral("音效控制:"), {169, 19, 62, 24});
    pause_ = MakePictureButton(this, "超级按钮_音效控制",
                               QStringLiteral("继续/暂停当前音效（右键可设置快捷键）"),
                               {233, 12, 40, 37});
    MakeHotkeyLabel(this, SpecialHotkey::Pause, {161, 37, 64, 13});

    MakeLabel(this, "透明标签2", QStringLiteral("音效停止:"), {288, 19, 62, 24});
    stop_ =
        MakePictureButton(this, "超级按钮_音效关闭",
                          QStringLiteral("停止当前音效（右键可设置快捷键）"), {352, 12, 40, 37});
    MakeHotkeyLabel(this, SpecialHotkey::Stop, {279, 38, 64, 13});

    MakeLabel(this, "透明标签4", QStringLiteral("重复音效:"), {407, 19, 62, 24});
    repeat_ = new SwitchButton(this);
    repeat_->setObjectName(QStringLiteral("超级按钮_重复音效"));
    repeat_->setGeometry(460, 19, 80, 24);
    repeat_->setText(QStringLiteral("重复音效"));
    repeat_->setToolTip(QStringLiteral("重复播放当前音效"));

    MakeLabel(this, "透明标签5", QStringLiteral("主音效音量:"), {11, 47, 69, 24});
    volume_ = MakeVolumeSlider(this, QStringLiteral("音量条_音量"), {81, 49, 429, 22});
    volumeLabel_ = MakeLabel(this, "透明标签_音量", QStringLiteral("100%"), {508, 53, 36, 16});

    // As loaded: the grey pause sign and the green stop sign.
    ShowPausePicture(PausePicture::Idle);
    ShowStopPicture(true);

    connect(hotkeySwitch_, &QPushButton::clicked, this, &ControlStrip::hotkeySwitchClicked);
    connect(pause_, &QPushButton::clicked, this, &ControlStrip::pauseClicked);
    connect(stop_, &QPushButton::clicked, this, &ControlStrip::stopClicked);
    connect(repeat_, &QPushButton::clicked, this, &ControlStrip::repeatClicked);
    connect(volume_, &QSlider::valueChanged, this, &ControlStrip::volumeChanged);
    for (QWidget* w : {static_cast<QWidget*>(hotkeySwitch_), static_cast<QWidget*>(pause_),
                       static_cast<QWidget*>(stop_)}) {
        w->installEventFilter(this);
    }
}

QLabel* ControlStrip::HotkeyLabel(SpecialHotkey which) const {
    return findChild<QLabel*>(Utf8(SpecialHotkeyOf(which).label), Qt::FindDirectChildrenOnly);
}

void ControlStrip::ShowPausePicture(PausePicture picture) {
    pauseShown_ = picture;
    pause_->setIcon(picture == PausePicture::Pause  ? pauseGreenIcon_
                    : picture == PausePicture::Play ? playGreenIcon_
                                                    : pauseGreyIcon_);
    pause_->setProperty("picture", static_cast<int>(picture));
}

void ControlStrip::ShowStopPicture(bool active) {
    stopActive_ = active;
    stop_->setIcon(active ? stopGreenIcon_ : stopGreyIcon_);
    stop_->setProperty("active", active);
}

bool ControlStrip::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && mouse->button() == Qt::RightButton &&
            widget->rect().contains(mouse->position().toPoint())) {
            if (watched == hotkeySwitch_) {
                emit specialRightReleased(SpecialHotkey::MasterSwitch);
            } else if (watched == pause_) {
                emit specialRightReleased(SpecialHotkey::Pause);
            } else {
                emit specialRightReleased(SpecialHotkey::Stop);
            }
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

}  // namespace vorlune
