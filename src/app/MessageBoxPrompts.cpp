#include "app/MessageBoxPrompts.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMessageBox>
#include <QString>

namespace vorlune {
namespace {

QMessageBox::Icon IconOf(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Error:
            return QMessageBox::Critical;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton ButtonOf(PromptAnswer answer) {
    switch (answer) {
        case PromptAnswer::Cancel:
            return QMessageBox::Cancel;
        case PromptAnswer::Yes:
            return QMessageBox::Yes;
        case PromptAnswer::No:
            return QMessageBox::No;
        case PromptAnswer::Ok:
            break;
    }
    return QMessageBox::Ok;
}

// The captions a Chinese Windows gives its message-box buttons; "&" marks the key that answers
// with Alt (or alone, as a message box takes it).
QString CaptionOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Yes:
            return QStringLiteral("是(&Y)");
        case QMessageBox::No:
            return QStringLiteral("否(&N)");
        case QMessageBox::Cancel:
            return QStringLiteral("取消");
        default:
            break;
    }
    return QStringLiteral("确定");
}

PromptAnswer AnswerOf(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        case QMessageBox::Cancel:
            return PromptAnswer::Cancel;
        default:
            return PromptAnswer::Ok;
    }
}

}  // namespace

PromptAnswer MessageBoxPrompts::Show(const Prompt& prompt) {
    QMessageBox box(IconOf(prompt.icon), QString::fromStdString(prompt.caption),
                    QString::fromStdString(prompt.text), ButtonsOf(prompt.buttons));
    for (QAbstractButton* button : box.buttons()) {
        button->setText(CaptionOf(box.standardButton(button)));
        button->setIcon(QIcon());  // captions only, as on Windows
    }
    // Messages carry slot names and file names: shown as typed, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(ButtonOf(prompt.defaultButton));
    box.setWindowModality(Qt::ApplicationModal);
    return AnswerOf(box.exec());
}

}  // namespace vorlune
