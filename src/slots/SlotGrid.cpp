#include "slots/SlotGrid.h"

#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QWidget>

#include "hotkeys/HotkeyText.h"

namespace vorlune {
namespace {

constexpr std::array<const char*, kCategoryPages> kGroupNames{"分组框_我的音效", "分组框2",
                                                              "分组框4", "分组框5", "分组框6"};
constexpr std::array<const char*, kCategoryPages> kPageCaptions{"我的音效", "喊麦音效", "搞笑音效",
                                                                "游戏音效", "DIY音效"};

// The local files among dropped data: file URLs only, never links to elsewhere or text.
QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) {
            files.push_back(url.toLocalFile());
        }
    }
    return files;
}

QString Numbered(const char* prefix, int n) {
    return QString::fromUtf8(prefix) + QString::number(n).rightJustified(2, QLatin1Char('0'));
}

}  // namespace

SlotGrid::SlotGrid(SlotStore& store, QObject* parent) : QObject(parent), store_(store) {
    for (int page = 0; page < kCategoryPages; ++page) {
        BuildPage(page);
    }
}

QString SlotGrid::ButtonName(int n) {
    return Numbered("按钮_", n);
}
QString SlotGrid::LabelName(int n) {
    return Numbered("透明标签_kj", n);
}

void SlotGrid::BuildPage(int page) {
    auto* pageWidget = new QWidget;
    pageWidget->setAccessibleName(QString::fromUtf8(kPageCaptions[page]));
    auto* group = new QGroupBox(pageWidget);
    group->setObjectName(QString::fromUtf8(kGroupNames[page]));
    const Rect g = SlotGroupRect(page);
    group->setGeometry(g.x, g.y, g.width, g.height);
    for (int n = 1; n <= kSlotCount; ++n) {
        if (CellOfSlot(n).page != page) {
            continue;
        }
        auto* button = new QPushButton(group);
        button->setObjectName(ButtonName(n));
        const Rect b = SlotButtonRect(n);
        button->setGeometry(b.x, b.y, b.width, b.height);
        button->setFocusPolicy(Qt::NoFocus);
        button->installEventFilter(this);
        button->setAcceptDrops(true);
        connect(button, &QPushButton::clicked, this, [this, n] { emit slotClicked(n); });
        auto* label = new QLabel(group);
        label->setTextFormat(Qt::PlainText);  // the stored hotkey text, never markup
        label->setObjectName(LabelName(n));
        const Rect l = SlotLabelRect(n);
        label->setGeometry(l.x, l.y, l.width, l.height);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        buttons_[static_cast<std::size_t>(n)] = button;
        labels_[static_cast<std::size_t>(n)] = label;
    }
    pages_[static_cast<std::size_t>(page)] = pageWidget;
}

QPushButton* SlotGrid::Button(int n) const {
    return n >= 1 && n <= kSlotCount ? buttons_[static_cast<std::size_t>(n)] : nullptr;
}

QLabel* SlotGrid::Label(int n) const {
    return n >= 1 && n <= kSlotCount ? labels_[static_cast<std::size_t>(n)] : nullptr;
}

QString SlotGrid::Tag(int n) const {
    const QPushButton* button = Button(n);
    return button != nullptr ? button->property("tag").toString() : QString();
}

void SlotGrid::Fill(int n) {
    QPushButton* button = Button(n);
    button->setText(QString::fromStdString(store_.ReadSlotName(n, "+")));
    button->setProperty("tag", QString::fromStdString(store_.ReadSlotRef(n)));
    Label(n)->setText(QString::fromStdString(StoredToDisplay(store_.ReadSlotHotkey(n))));
}

void SlotGrid::LoadSlotGrid() {
    for (int n = 1; n <= kSlotCount; ++n) {
        Fill(n);
    }
    emit filled();
}

void SlotGrid::RefreshSlot(int n) {
    if (Button(n) != nullptr) {
        Fill(n);
    }
    emit filled();
}

int SlotGrid::SlotOf(const QObject* button) const {
    for (int n = 1; n <= kSlotCount; ++n) {
        if (buttons_[static_cast<std::size_t>(n)] == button) {
            return n;
        }
    }
    return 0;
}

bool SlotGrid::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* button = qobject_cast<QPushButton*>(watched);
            if (button != nullptr && mouse->button() == Qt::RightButton &&
                button->rect().contains(mouse->position().toPoint())) {
                if (const int n = SlotOf(button); n != 0) {
                    emit slotRightReleased(n);
                    return true;
                }
            }
            break;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::DragLeave:
        case QEvent::Drop:
            if (const int n = SlotOf(watched); n != 0) {
                return DragEvent(n, event);
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

bool SlotGrid::DragEvent(int n, QEvent* event) {
    QPushButton* button = Button(n);
    if (event->type() == QEvent::DragLeave) {
        button->setDown(false);
        return true;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList files = LocalFiles(drop->mimeData());
    if (files.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() != QEvent::Drop) {
        button->setDown(true);
        return true;
    }
    button->setDown(false);
    QMetaObject::invokeMethod(
        this, [this, n, files] { emit filesDropped(n, files); }, Qt::QueuedConnection);
    return true;
}

}  // namespace vorlune
