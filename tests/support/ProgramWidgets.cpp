#include "ProgramWidgets.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/MainWindow.h"
#include "slots/SlotGrid.h"
#include "slots/editing/SlotDialog.h"

namespace vorlune::test {

MainWindow& TheMainWindow() {
    MainWindow* window = TopLevel<MainWindow>(QStringLiteral("MainWindow"));
    EXPECT_NE(window, nullptr);
    return *window;
}

QPushButton* SlotButton(int n) {
    return TheMainWindow().findChild<QPushButton*>(SlotGrid::ButtonName(n));
}

QLabel* SlotLabel(int n) {
    return TheMainWindow().findChild<QLabel*>(SlotGrid::LabelName(n));
}

QString SlotTag(int n) {
    const QPushButton* button = SlotButton(n);
    return button != nullptr ? button->property("tag").toString() : QString();
}

QTimer& MonitorTimer() {
    auto* timer = TheMainWindow().findChild<QTimer*>(QStringLiteral("时钟_监控"));
    EXPECT_NE(timer, nullptr);
    return *timer;
}

void TickMonitor() {
    // timeout() is a private signal: only the meta-object system may emit it from outside.
    QMetaObject::invokeMethod(&MonitorTimer(), "timeout", Qt::DirectConnection);
}

bool WithSlotDialog(const std::function<void()>& open,
                    const std::function<void(SlotDialog&)>& inside) {
    bool opened = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<SlotDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || opened) {
            return;
        }
        opened = true;
        poll.stop();
        inside(*dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("按钮_关闭")),
                          Qt::LeftButton);
    });
    poll.start();
    open();
    // Queued menu actions run here, and the dialog with them.
    for (int i = 0; i < 20 && !opened; ++i) {
        QTest::qWait(5);
    }
    return opened;
}

}  // namespace vorlune::test
