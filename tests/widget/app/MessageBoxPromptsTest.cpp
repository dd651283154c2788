#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "QtTestSupport.h"
#include "app/MessageBoxPrompts.h"

namespace vorlune {
namespace {

// What a box showed, read while it was open.
struct Shown {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<std::string> buttons;  // in sorted order
    std::string defaultButton;
    Qt::WindowModality modality = Qt::NonModal;
    bool markup = false;  // the text read as markup rather than shown as it is
};

// Shows `prompt` with the real message box; once it is open, `whileOpen` reads it and answers
// it as a user does (keys go to the box the way the window system delivers them).
PromptAnswer ShowAndAnswer(const Prompt& prompt, Shown& shown,
                           const std::function<void(QMessageBox&)>& answer) {
    shown = Shown{};
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        poll.stop();
        box->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(box));
        shown.caption = box->windowTitle().toStdString();
        shown.text = box->text().toStdString();
        shown.markup = box->textFormat() != Qt::PlainText &&
                       (box->textFormat() != Qt::AutoText || Qt::mightBeRichText(box->text()));
        shown.icon = box->icon();
        for (const QAbstractButton* button : box->buttons()) {
            shown.buttons.push_back(button->text().toStdString());
        }
        std::sort(shown.buttons.begin(), shown.buttons.end());
        if (box->defaultButton() != nullptr) {
            shown.defaultButton = box->defaultButton()->text().toStdString();
        }
        shown.modality = box->windowModality();
        answer(*box);
    });
    poll.start();
    MessageBoxPrompts prompts;
    return prompts.Show(prompt);
}

void Keys(QMessageBox& box, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&box, key, modifiers);
}

TEST(MessageBoxPrompts, ButtonsSpeakChineseAndAnswerByTheirKeys) {
    test::EnsureQApplication();
    const Prompt question{.text = "确定退出Vorlune？",
                          .caption = "请选择",
                          .icon = PromptIcon::Question,
                          .buttons = PromptButtons::YesNo,
                          .defaultButton = PromptAnswer::No};
    Shown shown;
    EXPECT_EQ(ShowAndAnswer(question, shown,
                            [](QMessageBox& box) { Keys(box, Qt::Key_Y, Qt::AltModifier); }),
              PromptAnswer::Yes);
    EXPECT_EQ(shown.caption, "请选择");
    EXPECT_EQ(shown.text, "确定退出Vorlune？");
    EXPECT_EQ(shown.icon, QMessageBox::Question);
    EXPECT_EQ(shown.buttons, (std::vector<std::string>{"否(&N)", "是(&Y)"}));
    EXPECT_EQ(shown.defaultButton, "否(&N)");
    EXPECT_EQ(shown.modality, Qt::ApplicationModal);

    // Alt+N, the key alone, and Return on the default button.
    EXPECT_EQ(ShowAndAnswer(question, shown,
                            [](QMessageBox& box) { Keys(box, Qt::Key_N, Qt::AltModifier); }),
              PromptAnswer::No);
    EXPECT_EQ(ShowAndAnswer(question, shown, [](QMessageBox& box) { Keys(box, Qt::Key_Y); }),
              PromptAnswer::Yes);
    EXPECT_EQ(ShowAndAnswer(question, shown, [](QMessageBox& box) { Keys(box, Qt::Key_Return); }),
              PromptAnswer::No);

    // The close question has Yes as its default and no icon.
    Prompt close = question;
    close.icon = PromptIcon::None;
    close.defaultButton = PromptAnswer::Yes;
    EXPECT_EQ(ShowAndAnswer(close, shown, [](QMessageBox& box) { Keys(box, Qt::Key_Return); }),
              PromptAnswer::Yes);
    EXPECT_EQ(shown.defaultButton, "是(&Y)");
    EXPECT_EQ(shown.icon, QMessageBox::NoIcon);
    // A question answered with Escape says No: only Yes is ever acted on.
    EXPECT_EQ(ShowAndAnswer(close, shown, [](QMessageBox& box) { Keys(box, Qt::Key_Escape); }),
              PromptAnswer::No);
}

TEST(MessageBoxPrompts, AMessageHasOneOkButtonAndTheDefaultCaption) {
    test::EnsureQApplication();
    Shown shown;
    EXPECT_EQ(ShowAndAnswer({.text = "导出失败！"}, shown,
                            [](QMessageBox& box) { Keys(box, Qt::Key_Return); }),
              PromptAnswer::Ok);
    EXPECT_EQ(shown.caption, "信息：");
    EXPECT_EQ(shown.buttons, std::vector<std::string>{"确定"});
    EXPECT_EQ(shown.defaultButton, "确定");
    EXPECT_EQ(shown.icon, QMessageBox::NoIcon);

    const Prompt information{.text = "音效初始化恢复成功!", .icon = PromptIcon::Information};
    EXPECT_EQ(
        ShowAndAnswer(information, shown, [](QMessageBox& box) { Keys(box, Qt::Key_Escape); }),
        PromptAnswer::Ok);
    EXPECT_EQ(shown.icon, QMessageBox::Information);

    const Prompt okCancel{.text = "?", .buttons = PromptButtons::OkCancel};
    EXPECT_EQ(ShowAndAnswer(okCancel, shown, [](QMessageBox& box) { Keys(box, Qt::Key_Escape); }),
              PromptAnswer::Cancel);
    EXPECT_EQ(shown.buttons, (std::vector<std::string>{"取消", "确定"}));

    // Messages name slots and files: shown as typed, never read as markup.
    const Prompt named{.text = "<b>鼓</b><img src=x.png>：导出失败！"};
    ShowAndAnswer(named, shown, [](QMessageBox& box) { Keys(box, Qt::Key_Return); });
    EXPECT_EQ(shown.text, named.text);
    EXPECT_FALSE(shown.markup);
}

}  // namespace
}  // namespace vorlune
