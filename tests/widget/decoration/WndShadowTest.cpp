#include "decoration/WndShadow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QTest>
#include <QWindow>

namespace vorlune {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "drop_shadow_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down among the other statics at exit crashes in Qt itself.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

const CompositingProbe kBlending = [] { return true; };

// A borderless dialog the size of the slot settings dialog.
void Prepare(QDialog& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog.setGeometry(100, 50, 380, 233);
}

QImage Pixels(WndShadow& shadow) {
    QImage image(shadow.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    shadow.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

TEST(WndShadow, FollowsTheDialogsMovesSizeAndVisibility) {
    App();
    QDialog dialog;
    Prepare(dialog);
    ASSERT_TRUE(SetWindowShadow(&dialog, Qt::black, 9, kBlending));
    WndShadow* shadow = ShadowOf(&dialog);
    ASSERT_NE(shadow, nullptr);
    EXPECT_TRUE(shadow->isWindow());
    EXPECT_FALSE(shadow->isVisible());  // attached before the dialog shows

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(shadow->isVisible());
    EXPECT_EQ(shadow->geometry(), QRect(91, 41, 398, 251));

    dialog.move(300, 200);
    QTest::qWait(10);
    EXPECT_EQ(shadow->geometry(), QRect(291, 191, 398, 251));

    dialog.resize(420, 260);
    QTest::qWait(10);
    EXPECT_EQ(shadow->geometry(), QRect(291, 191, 438, 278));

    dialog.hide();
    EXPECT_FALSE(shadow->isVisible());
    dialog.move(120, 80);
    dialog.show();
    QTest::qWait(10);
    EXPECT_TRUE(shadow->isVisible());
    EXPECT_EQ(shadow->geometry(), QRect(111, 71, 438, 278));

    dialog.showMinimized();
    QTest::qWait(10);
    EXPECT_FALSE(shadow->isVisible());
    dialog.showNormal();
    QTest::qWait(10);
    EXPECT_TRUE(shadow->isVisible());
    EXPECT_EQ(shadow->geometry(), QRect(111, 71, 438, 278));

    dialog.showMaximized();
    QTest::qWait(10);
    EXPECT_FALSE(shadow->isVisible());
    dialog.showNormal();
    QTest::qWait(10);
    EXPECT_TRUE(shadow->isVisible());
}

TEST(WndShadow, AttachingAgainOnlyRestylesTheOneShadow) {
    App();
    QDialog dialog;
    Prepare(dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(SetWindowShadow(&dialog, Qt::black, 9, kBlending));
    ASSERT_TRUE(SetWindowShadow(&dialog, Qt::red, 5, kBlending));
    EXPECT_EQ(dialog.findChildren<WndShadow*>().size(), 1);
    WndShadow* shadow = ShadowOf(&dialog);
    EXPECT_EQ(shadow->Colour(), QColor(Qt::red));
    EXPECT_EQ(shadow->Spread(), 5);
    EXPECT_EQ(shadow->geometry(), QRect(95, 45, 390, 243));

    // Not a window, or no size: nothing attached.
    QWidget child(&dialog);
    EXPECT_FALSE(SetWindowShadow(&child, Qt::black, 9, kBlending));
    EXPECT_EQ(ShadowOf(&child), nullptr);
    QDialog other;
    EXPECT_FALSE(SetWindowShadow(&other, Qt::black, 0, kBlending));
    EXPECT_EQ(ShadowOf(&other), nullptr);
    EXPECT_FALSE(SetWindowShadow(nullptr, Qt::black, 9, kBlending));

    // The shadow goes with its dialog.
    QPointer<WndShadow> watched(shadow);
    auto* shortLived = new QDialog;
    ASSERT_TRUE(SetWindowShadow(shortLived, Qt::black, 9, kBlending));
    watched = ShadowOf(shortLived);
    ASSERT_FALSE(watched.isNull());
    delete shortLived;
    EXPECT_TRUE(watched.isNull());
}

TEST(WndShadow, DarkensTowardTheDialogAndLeavesItClear) {
    App();
    QDialog dialog;
    Prepare(dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(SetWindowShadow(&dialog, Qt::black, 9, kBlending));
    const QImage image = Pixels(*ShadowOf(&dialog));
    ASSERT_EQ(image.size(), QSize(398, 251));

    // Along the middle of the left edge: nine rings, 16 more alpha each from the outside in.
    const int middle = image.height() / 2;
    for (int x = 0; x < 9; ++x) {
        const QRgb pixel = image.pixel(x, middle);
        EXPECT_NEAR(qAlpha(pixel), 16 * (x + 1), 2) << "x " << x;
        EXPECT_EQ(qRed(pixel), 0);
    }
    // The same on the right, top and bottom edges.
    EXPECT_NEAR(qAlpha(image.pixel(397, middle)), 16, 2);
    EXPECT_NEAR(qAlpha(image.pixel(389, middle)), 144, 2);
    EXPECT_NEAR(qAlpha(image.pixel(200, 0)), 16, 2);
    EXPECT_NEAR(qAlpha(image.pixel(200, 250)), 16, 2);
    EXPECT_NEAR(qAlpha(image.pixel(200, 242)), 144, 2);

    // Over the dialog every pixel stays fully transparent.
    for (int y = 9; y < 9 + 233; ++y) {
        for (int x = 9; x < 9 + 380; ++x) {
            ASSERT_EQ(qAlpha(image.pixel(x, y)), 0) << x << "," << y;
        }
    }
    // The rounded corners leave the very corner pixel clear.
    EXPECT_LT(qAlpha(image.pixel(0, 0)), 8);
}

TEST(WndShadow, StaysHiddenWhereNothingBlendsAndTakesNoInput) {
    App();
    QDialog dialog;
    Prepare(dialog);
    bool blending = false;
    ASSERT_TRUE(SetWindowShadow(&dialog, Qt::black, 9, [&] { return blending; }));
    WndShadow* shadow = ShadowOf(&dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(shadow->isVisible());

    // Once a compositor runs, the next move brings it up.
    blending = true;
    dialog.move(140, 60);
    QTest::qWait(10);
    EXPECT_TRUE(shadow->isVisible());

    QWindow* window = shadow->windowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->flags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(window->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
    // A click on the shadow reaches whatever lies below it.
    QWidget below;
    below.setGeometry(0, 0, 800, 600);
    below.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&below));
    EXPECT_NE(QApplication::widgetAt(shadow->geometry().topLeft() + QPoint(4, 100)), shadow);
    EXPECT_FALSE(shadow->isActiveWindow());
}

}  // namespace
}  // namespace vorlune
