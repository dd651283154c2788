#include "app/SettingsPage.h"

#include <QCheckBox>
#include <QCursor>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QSlider>
#include <QToolButton>

#include "app/DeviceComboBox.h"
#include "app/SwitchButton.h"
#include "app/VolumeSlider.h"
#include "decoration/Fonts.h"

namespace vorlune {
namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(geometry);
    label->setFont(YaHeiFont());
    return label;
}

// A switch of the page: its picture is set by who reads its state.
SwitchButton* MakeSwitch(QWidget* parent, const char* name, QRect geometry, const QString& tip) {
    auto* button = new SwitchButton(parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(geometry);
    button->setToolTip(tip);
    return button;
}

}  // namespace

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("设置面板"));
    auto* other = new QGroupBox(QStringLiteral("其他参数设置"), this);
    other->setObjectName(QStringLiteral("分组框3"));
    other->setGeometry(6, 8, 537, 136);
    MakeLabel(other, "透明标签3", QStringLiteral("窗口始终置顶:"), {12, 19, 83, 24});
    onTop_ = MakeSwitch(other, "超级按钮_窗口置顶", {107, 19, 80, 24},
                        QStringLiteral("主音效界面是否置顶（开启后，该窗口始终保持最前）"));
    connect(onTop_, &SwitchButton::clicked, this, &SettingsPage::onTopClicked);
    MakeLabel(other, "透明标签_音量均衡", QStringLiteral("音量均衡:"), {212, 19, 83, 24});
    levelling_ = MakeSwitch(
        other, "超级按钮_音量均衡", {307, 19, 80, 24},
        QStringLiteral("是否开启音量均衡（开启后，每个音效以相同的响度播放，不再忽大忽小）"));
    connect(levelling_, &SwitchButton::clicked, this, &SettingsPage::levellingClicked);

    // The monitor output, laid out like the rows above and the control strip's volume.
    MakeLabel(other, "透明标签_监听设备", QStringLiteral("监听设备:"), {12, 55, 83, 24});
    monitorDevices_ = new DeviceComboBox(other);
    monitorDevices_->setObjectName(QStringLiteral("组合框_监听设备"));
    monitorDevices_->setGeometry(107, 55, 192, 25);
    monitorDevices_->setFont(YaHeiFont());
    monitorDevices_->setToolTip(
        QStringLiteral("监听设备：每个音效同时在这里播放，让您自己也能听到"));
    monitorSwitch_ = MakeSwitch(other, "超级按钮_监听开关", {307, 55, 80, 24},
                                QStringLiteral("是否开启监听（开启后，音效同时在监听设备上播放）"));
    monitorSwitch_->ShowState(false);
    connect(monitorSwitch_, &SwitchButton::clicked, this, &SettingsPage::monitorSwitchClicked);

    MakeLabel(other, "透明标签_监听音量", QStringLiteral("监听音量:"), {12, 91, 83, 24});
    monitorVolume_ = MakeVolumeSlider(other, QStringLiteral("音量条_监听音量"), {107, 92, 380, 22});
    monitorVolumeLabel_ =
        MakeLabel(other, "透明标签_监听音量值", QStringLiteral("100%"), {492, 95, 36, 16});
    connect(monitorVolume_, &QSlider::valueChanged, this, &SettingsPage::monitorVolumeChanged);

    // The other functions keep the left end of the row; the virtual microphone takes the rest.
    auto* functions = new QGroupBox(QStringLiteral("其他功能"), this);
    functions->setObjectName(QStringLiteral("分组框7"));
    functions->setGeometry(6, 146, 120, 112);
    restore_ = new QToolButton(functions);
    restore_->setObjectName(QStringLiteral("超级按钮_恢复设置"));
    restore_->setGeometry(25, 28, 69, 65);
    restore_->setText(QStringLiteral("恢复设置"));
    restore_->setToolTip(QStringLiteral("恢复设置"));
    restore_->setIcon(QIcon(QStringLiteral(":/icons/restore.svg")));
    restore_->setIconSize(QSize(44, 40));
    restore_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    restore_->setAutoRaise(true);
    restore_->setFont(YaHeiFont(9, true));

    // The virtual microphone: its switch and the default-microphone choice, then the microphone
    // mixed in, laid out like the monitor's rows.
    auto* microphone = new QGroupBox(QStringLiteral("虚拟麦克风"), this);
    microphone->setObjectName(QStringLiteral("分组框_虚拟麦克风"));
    microphone->setGeometry(130, 146, 413, 112);
    MakeLabel(microphone, "透明标签_虚拟麦克风", QStringLiteral("虚拟麦克风:"), {12, 26, 83, 24});
    microphoneSwitch_ =
        MakeSwitch(microphone, "超级按钮_虚拟麦克风", {107, 26, 80, 24},
                   QStringLiteral("是否开启虚拟麦克风（开启后，语音聊天和游戏可选择“Vorlune "
                                  "虚拟麦克风”，对方同时听到您的声音和音效）"));
    microphoneSwitch_->ShowState(false);
    connect(microphoneSwitch_, &SwitchButton::clicked, this,
            &SettingsPage::microphoneSwitchClicked);
    microphoneDefault_ = new QCheckBox(QStringLiteral("设为默认麦克风"), microphone);
    microphoneDefault_->setObjectName(QStringLiteral("复选框_设为默认麦克风"));
    microphoneDefault_->setGeometry(207, 26, 160, 24);
    microphoneDefault_->setFont(YaHeiFont());
    microphoneDefault_->setToolTip(
        QStringLiteral("开启虚拟麦克风期间把它设为系统默认麦克风（用于只使用默认麦克风的游戏），关"
                       "闭后恢复原来的默认麦克风"));
    connect(microphoneDefault_, &QCheckBox::clicked, this, &SettingsPage::microphoneDefaultClicked);
    MakeLabel(microphone, "透明标签_麦克风", QStringLiteral("麦克风:"), {12, 66, 83, 24});
    microphones_ = new DeviceComboBox(microphone);
    microphones_->setObjectName(QStringLiteral("组合框_麦克风"));
    microphones_->setGeometry(107, 66, 290, 25);
    microphones_->setFont(YaHeiFont());
    microphones_->setToolTip(QStringLiteral("麦克风：混入虚拟麦克风的真实麦克风，也可以只放音效"));

    // The phone page: switch, a new pairing secret, the link as text and its QR code.
    auto* phone = new QGroupBox(QStringLiteral("手机遥控"), this);
    phone->setObjectName(QStringLiteral("分组框_手机遥控"));
    phone->setGeometry(6, 260, 537, 88);
    MakeLabel(phone, "透明标签_手机遥控", QStringLiteral("手机遥控:"), {12, 22, 83, 24});
    phoneSwitch_ =
        MakeSwitch(phone, "超级按钮_手机遥控", {107, 22, 80, 24},
                   QStringLiteral("开启后，同一网络中的手机扫描二维码即可用网页播放音效"));
    phoneSwitch_->ShowState(false);
    connect(phoneSwitch_, &SwitchButton::clicked, this, &SettingsPage::phoneSwitchClicked);
    phoneNewSecret_ = new QToolButton(phone);
    phoneNewSecret_->setObjectName(QStringLiteral("按钮_更换配对码"));
    phoneNewSecret_->setGeometry(200, 20, 90, 28);
    phoneNewSecret_->setText(QStringLiteral("更换配对码"));
    phoneNewSecret_->setToolTip(QStringLiteral("更换配对码：已配对的手机全部断开，需重新扫码"));
    phoneNewSecret_->setFont(YaHeiFont());
    connect(phoneNewSecret_, &QToolButton::clicked, this, &SettingsPage::phoneNewSecretClicked);
    phoneLink_ = MakeLabel(phone, "透明标签_手机地址", {}, {12, 54, 430, 24});
    phoneLink_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    phoneCode_ = new QLabel(phone);
    phoneCode_->setObjectName(QStringLiteral("图片_手机二维码"));
    phoneCode_->setGeometry(455, 4, 80, 80);
    phoneCode_->setAlignment(Qt::AlignCenter);
    ShowPhone(false, {}, {});

    restoreMenu_ = new QMenu(QStringLiteral("恢复设置"), this);
    restoreMenu_->setObjectName(QStringLiteral("恢复设置"));
    QAction* item = restoreMenu_->addAction(QStringLiteral("初始化默认音效"));
    connect(item, &QAction::triggered, this, &SettingsPage::restoreDefaultsChosen);
    connect(restore_, &QToolButton::clicked, this,
            [this] { restoreMenu_->popup(QCursor::pos() + QPoint(3, 3)); });
}

void SettingsPage::ShowPhone(bool on, const QString& link, const QImage& code) {
    phoneSwitch_->ShowState(on);
    phoneNewSecret_->setEnabled(on);
    phoneLink_->setText(on ? link : QStringLiteral("未开启"));
    phoneCode_->setPixmap(
        code.isNull() ? QPixmap()
                      : QPixmap::fromImage(code.scaled(phoneCode_->size(), Qt::KeepAspectRatio,
                                                       Qt::FastTransformation)));
}

}  // namespace vorlune
