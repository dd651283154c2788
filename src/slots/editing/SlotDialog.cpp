#include "slots/editing/SlotDialog.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QWindow>

#include "decoration/Fonts.h"
#include "decoration/WndShadow.h"
#include "hotkeys/HotkeyText.h"
#include "hotkeys/capture/HotkeyCheck.h"
#include "slots/editing/SelectSlot.h"
#include "slots/editing/SlotFiles.h"
#include "slots/editing/SlotSoundApply.h"

namespace vorlune {
namespace {

// Control positions are measured from the tab control's top edge; a page starts below the tabs.
constexpr int kTabsHeight = 26;
constexpr int kCheckPeriodMs = 200;

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QIcon CloseIcon() {
    QPixmap picture(17, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1.6));
    painter.drawLine(QPointF(4.5, 4), QPointF(12.5, 12));
    painter.drawLine(QPointF(12.5, 4), QPointF(4.5, 12));
    return {picture};
}

void OnPage(QWidget* control, int x, int y, int width, int height) {
    control->setGeometry(x, y - kTabsHeight, width, height);
}

template <typename T>
T* Named(T* control, const char* name) {
    control->setObjectName(QString::fromUtf8(name));
    return control;
}

const char* const kWriteFailed = "写入失败，请检查程序目录是否可写!";

}  // namespace

SlotDialog::SlotDialog(const SlotEditingServices& services, HotkeyCapture& capture,
                       SlotDialogMode mode, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      services_(services),
      capture_(capture),
      mode_(mode),
      special_(SpecialHotkeyOfMode(mode)) {
    setWindowTitle(QStringLiteral("其他设置"));
    setFixedSize(380, 233);
    setFont(YaHeiFont());
    BuildTitleStrip();
    pages_ = Named(new QTabWidget(this), "选择夹1");
    pages_->setGeometry(10, 36, 360, 184);
    BuildSoundPage();
    BuildHotkeyPage();
    SetUp();
}

SlotDialog::~SlotDialog() {
    services_.state.currentSlotSection.clear();
    services_.state.currentSlotRef.clear();
    services_.state.lastTriggered.hotkey.clear();
    capture_.Remove(captureToken_);
}

void SlotDialog::BuildTitleStrip() {
    title_ = Named(new QLabel(QStringLiteral("载入中"), this), "标签_标题");
    // The title strip, like both status texts, names the slot: shown as typed, never as markup.
    title_->setTextFormat(Qt::PlainText);
    title_->setGeometry(0, 0, 384, 24);
    title_->setIndent(8);
    title_->installEventFilter(this);
    close_ = Named(new QPushButton(this), "按钮_关闭");
    close_->setGeometry(358, 2, 17, 16);
    close_->setIcon(CloseIcon());
    close_->setIconSize(QSize(17, 16));
    close_->setFlat(true);
    close_->setAutoDefault(false);
    close_->setFocusPolicy(Qt::NoFocus);
    close_->raise();
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void SlotDialog::BuildSoundPage() {
    auto* page = new QWidget;
    auto* pathGroup = Named(new QGroupBox(page), "分组框2");
    OnPage(pathGroup, 8, 32, 344, 48);
    browse_ = Named(new QPushButton(QStringLiteral("浏览"), pathGroup), "按钮_浏览");
    browse_->setGeometry(8, 15, 56, 21);
    browse_->setToolTip(QStringLiteral("点击选择一个音频文件"));
    path_ = Named(new QLineEdit(pathGroup), "编辑框_地址");
    path_->setGeometry(64, 13, 200, 24);
    del_ = Named(new QPushButton(QStringLiteral("Del"), pathGroup), "按钮_DEL");
    del_->setGeometry(265, 12, 31, 24);

    auto* nameGroup = Named(new QGroupBox(page), "分组框1");
    OnPage(nameGroup, 8, 83, 344, 48);
    auto* nameLabel = Named(new QLabel(QStringLiteral("音效名称:"), nameGroup), "透明标签2");
    nameLabel->setGeometry(8, 14, 56, 24);
    name_ = Named(new QLineEdit(nameGroup), "编辑框_名称");
    name_->setGeometry(64, 15, 224, 24);

    applySound_ = Named(new QPushButton(QStringLiteral("应用"), page), "按钮_应用设置");
    OnPage(applySound_, 286, 138, 64, 32);
    // Wider than its place in the layout so that a failed write can be told in full.
    soundStatus_ = Named(new QLabel(page), "透明标签_状态显示");
    OnPage(soundStatus_, 16, 144, 264, 16);
    soundStatus_->setTextFormat(Qt::PlainText);

    for (QPushButton* button : {browse_, del_, applySound_}) {
        button->setAutoDefault(false);
    }
    connect(path_, &QLineEdit::textEdited, this, &SlotDialog::SoundFieldChanged);
    connect(name_, &QLineEdit::textEdited, this, &SlotDialog::SoundFieldChanged);
    connect(del_, &QPushButton::clicked, this, [this] { SetPath(QString()); });
    connect(browse_, &QPushButton::clicked, this, &SlotDialog::Browse);
    connect(applySound_, &QPushButton::clicked, this, &SlotDialog::ApplySound);
    pages_->addTab(page, QStringLiteral("音效设置"));
}

void SlotDialog::BuildHotkeyPage() {
    auto* page = new QWidget;
    auto* keyLabel = Named(new QLabel(QStringLiteral("输入键名:"), page), "透明标签_键名1");
    OnPage(keyLabel, 16, 42, 64, 24);
    hotkey_ = Named(new QLineEdit(page), "编辑框_热键");
    OnPage(hotkey_, 80, 42, 160, 24);
    // Only the capture, the focus handler, "清除该快捷键" and the set-up write this box.
    hotkey_->setReadOnly(true);
    hotkey_->setAlignment(Qt::AlignCenter);
    hotkey_->setStyleSheet(QStringLiteral("color: red;"));
    // Reached by a click only: the focus handler empties the box, which opening must not do.
    hotkey_->setFocusPolicy(Qt::ClickFocus);
    hotkey_->installEventFilter(this);
    clearHotkey_ = Named(new QPushButton(QStringLiteral("清除该快捷键"), page), "按钮1");
    OnPage(clearHotkey_, 248, 41, 96, 26);
    hint_ = Named(new QPlainTextEdit(page), "编辑框_提示框");
    OnPage(hint_, 16, 74, 328, 52);
    hint_->setReadOnly(true);
    hotkeyStatus_ = Named(new QLabel(page), "透明标签_快捷状态显示");
    OnPage(hotkeyStatus_, 16, 132, 264, 40);
    hotkeyStatus_->setWordWrap(true);
    hotkeyStatus_->setTextFormat(Qt::PlainText);
    applyHotkey_ = Named(new QPushButton(QStringLiteral("应用"), page), "按钮_热键设置");
    OnPage(applyHotkey_, 286, 138, 64, 32);
    checkTimer_.setObjectName(QStringLiteral("时钟1"));

    for (QPushButton* button : {clearHotkey_, applyHotkey_}) {
        button->setAutoDefault(false);
    }
    connect(clearHotkey_, &QPushButton::clicked, hotkey_, &QLineEdit::clear);
    connect(applyHotkey_, &QPushButton::clicked, this, &SlotDialog::ApplyHotkey);
    connect(&checkTimer_, &QTimer::timeout, this, &SlotDialog::HotkeyCheck);
    pages_->addTab(page, QStringLiteral("音效快捷键"));
}

void SlotDialog::SetUp() {
    SetWindowShadow(this, Qt::black, 9);
    services_.onTop.KeepOnTopRelease();
    AppState& state = services_.state;
    const std::int32_t n = SlotNumberOfSection(state.currentSlotSection);
    currentSlot_ = !state.currentSlotSection.empty() && n >= 1 && n <= kSlotCount ? n : 0;
    if (special_ == nullptr && currentSlot_ != 0) {
        editedSlot_ = currentSlot_;
    }

    const std::string name =
        currentSlot_ != 0 ? services_.slotStore.ReadSlotName(currentSlot_) : "";
    title_->setText(
        Q("关于【" + (name.empty() ? std::string("缺省音效名添加") : name) + "】的设置"));
    pages_->setCurrentIndex(mode_ == SlotDialogMode::SlotSound ? 0 : 1);

    if (special_ != nullptr) {
        const std::string specialName(special_->dialogName);
        SetName(Q(specialName));
        SetPath(QStringLiteral("*缺省数据"));
        hotkey_->setText(Q(StoredToDisplay(services_.settings.Read(special_->setting))));
        setWindowTitle(Q("关于【" + specialName + "】的设置"));
    } else {
        SetName(Q(name));
        SetPath(Q(SlotPathOf(state.currentSlotRef)));
        hotkey_->setText(Q(currentSlot_ != 0
                               ? StoredToDisplay(services_.slotStore.ReadSlotHotkey(currentSlot_))
                               : std::string()));
    }
    // The special hotkeys' dialogs, and a dialog without a current slot, have no slot whose
    // sound could be set: the sound page only shows what it holds.
    const bool soundEditable = editedSlot_.has_value();
    for (QLineEdit* box : {name_, path_}) {
        box->setReadOnly(!soundEditable);
    }
    for (QPushButton* button : {browse_, del_, applySound_}) {
        button->setEnabled(soundEditable);
    }
    applyHotkey_->setEnabled(special_ != nullptr || editedSlot_.has_value());

    captureToken_ = capture_.Install(
        [this](std::int32_t held, std::int32_t key, bool pressed) { OnKey(held, key, pressed); });
    // A desktop that refused the hotkeys is asked again when the user comes to set one.
    connect(pages_, &QTabWidget::currentChanged, this, &SlotDialog::AskDesktopAgain);
    AskDesktopAgain();
}

void SlotDialog::SetName(const QString& text) {
    name_->setText(text);
    SoundFieldChanged();
}

void SlotDialog::SetPath(const QString& text) {
    path_->setText(text);
    SoundFieldChanged();
}

void SlotDialog::SoundFieldChanged() {
    applySound_->setEnabled(editedSlot_.has_value());
    soundStatus_->clear();
}

void SlotDialog::Browse() {
    const std::string desktop = services_.desktop.DesktopFolder();
    const std::optional<std::string> file =
        services_.desktop.ChooseOpenFile("打开", "音频文件（.wav;.mp3） (*.mp3 *.wav)", desktop);
    if (!file) {
        return;
    }
    if (!SlotListCanHoldPath(*file)) {
        services_.prompts.Show({.text = std::string(kBarInPathMessage)});
        return;
    }
    SetPath(Q(*file));
    SetName(Q(FileNameOfPath(*file, false)));
}

void SlotDialog::ApplySound() {
    if (!editedSlot_) {
        return;
    }
    const std::string name = name_->text().toStdString();
    const std::string path = path_->text().toStdString();
    if (name.empty() || path.empty()) {
        services_.prompts.Show({.text = "请填写完整后再试！"});
        return;
    }
    switch (ApplySlotSound(services_.slotStore, services_.grid, *editedSlot_, name, path)) {
        case SlotSoundApplied::BarInPath:
            services_.prompts.Show({.text = std::string(kBarInPathMessage)});
            return;
        case SlotSoundApplied::WriteFailed:
            soundStatus_->setText(QString::fromUtf8(kWriteFailed));
            return;
        case SlotSoundApplied::Applied:
            break;
    }
    applySound_->setEnabled(false);
    soundStatus_->setText(QStringLiteral("设置成功!"));
}

void SlotDialog::OnKey(std::int32_t heldModifier, std::int32_t keyCode, bool pressed) {
    if (!pressed) {
        return;
    }
    Capture(Q(ComposeHotkeyText(heldModifier, keyCode)));
}

void SlotDialog::CaptureShortcut(const std::string& display) {
    if (pages_->currentIndex() == 1) {
        Capture(Q(display));
    }
}

void SlotDialog::AskDesktopAgain() {
    if (pages_->currentIndex() == 1 && services_.hotkeys.AskDesktopAgain()) {
        hotkeyStatus_->setText(QStringLiteral("已重新向桌面申请快捷键，等待桌面确认…"));
    }
}

void SlotDialog::Capture(const QString& display) {
    hotkey_->setText(display);
    captured_ = hotkey_->text().toStdString();
    ownText_ = currentSlot_ != 0 ? OwnHotkeyText(services_.slotStore.ReadSlotHotkey(currentSlot_))
                                 : std::string();
    if (!checkTimer_.isActive()) {
        checkTimer_.start(kCheckPeriodMs);
    }
}

void SlotDialog::HotkeyCheck() {
    const HotkeyCheckResult result = CheckCapturedHotkey({
        .captured = captured_,
        .lastTriggeredHotkey = services_.state.lastTriggered.hotkey,
        .lastTriggeredName = services_.state.lastTriggered.name,
        .ownText = ownText_,
        .masterSwitchDialog = special_ != nullptr && special_->which == SpecialHotkey::MasterSwitch,
    });
    hint_->setPlainText(Q(result.message));
    applyHotkey_->setEnabled(result.applyEnabled &&
                             (special_ != nullptr || editedSlot_.has_value()));
}

std::int32_t SlotDialog::HotkeyId() const {
    return special_ != nullptr ? special_->id : editedSlot_.value_or(0);
}

bool SlotDialog::HotkeyShouldBeRegistered() const {
    // As the registry does: the master switch hotkey whatever the switch, the others while it is
    // on.
    return (special_ != nullptr && special_->independentOfSwitch) ||
           services_.settings.ReadInt(setting::kHotkeysOn) == 1;
}

void SlotDialog::ApplyHotkey() {
    const std::string display = hotkey_->text().toStdString();
    const std::string stored = DisplayToStored(display);
    bool written = false;
    std::int32_t refreshed = 0;
    if (special_ != nullptr) {
        written = services_.settings.Write(special_->setting, stored);
    } else if (editedSlot_) {
        written = services_.slotStore.WriteSlotHotkey(*editedSlot_, stored);
        refreshed = *editedSlot_;
    } else {
        return;
    }
    services_.grid.RefreshSlot(refreshed);

    const std::string name = name_->text().toStdString();
    awaitedReport_.reset();
    if (!written) {
        hotkeyStatus_->setText(QString::fromUtf8(kWriteFailed));
    } else if (display.empty()) {
        hotkeyStatus_->setText(Q("【" + name + "】热键已清除!"));
    } else if (HotkeyShouldBeRegistered() && services_.hotkeys.AwaitsDesktop(HotkeyId())) {
        // A desktop portal answers later, maybe after asking the user to confirm.
        awaitedReport_.emplace(name, display);
        hotkeyStatus_->setText(Q("【" + name + "】—【" + display + "】热键已保存，等待桌面确认…"));
    } else {
        ReportRegistration(name, display);
    }
    applyHotkey_->setEnabled(false);
}

void SlotDialog::ReportRegistration(const std::string& name, const std::string& display) {
    if (HotkeyShouldBeRegistered() && !services_.hotkeys.IsRegistered(HotkeyId())) {
        hotkeyStatus_->setText(
            Q("【" + name + "】—【" + display + "】热键已保存，但无法注册（已被占用或不支持）!"));
    } else if (services_.hotkeys.OnlyWithX11Focus()) {
        hotkeyStatus_->setText(
            Q("【" + name + "】—【" + display + "】热键注册成功，但只在 X11 窗口获得焦点时有效!"));
    } else {
        hotkeyStatus_->setText(Q("【" + name + "】—【" + display + "】热键注册成功!"));
    }
}

void SlotDialog::HotkeysAnswered() {
    if (awaitedReport_ && !services_.hotkeys.AwaitsDesktop(HotkeyId())) {
        const auto [name, display] = *awaitedReport_;
        awaitedReport_.reset();
        ReportRegistration(name, display);
    }
}

bool SlotDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == hotkey_ && event->type() == QEvent::FocusIn) {
        hotkey_->clear();
        hotkeyStatus_->clear();
        awaitedReport_.reset();
    } else if (watched == title_) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                // The window manager or compositor moves the window where it can (on Wayland a
                // program can neither place its window nor know where it is); otherwise the
                // dialog follows the pointer itself.
                dragOffset_ = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
                systemMove_ = windowHandle() != nullptr && windowHandle()->startSystemMove();
                return true;
            }
        } else if (event->type() == QEvent::MouseMove) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if ((mouse->buttons() & Qt::LeftButton) != 0 && !systemMove_) {
                move(mouse->globalPosition().toPoint() - dragOffset_);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SlotDialog::keyPressEvent(QKeyEvent* event) {
    // Every key may be wanted as a hotkey: Esc must not close the dialog behind the capture.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace vorlune
