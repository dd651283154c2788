#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QStatusBar>

#include "app/BlockedCloseKeeper.h"
#include "app/BottomLine.h"
#include "app/CategoryToolbar.h"
#include "app/ControlStrip.h"
#include "app/SettingsPage.h"
#include "decoration/Fonts.h"

namespace vorlune {

MainWindow::MainWindow(const std::array<QWidget*, 5>& slotPages, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientSize);
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    move(50, 50);

    toolbar_ = new CategoryToolbar(this);
    toolbar_->setGeometry(0, 0, kClientSize.width(), 75);

    pages_ = new QStackedWidget(this);
    pages_->setObjectName(QStringLiteral("选择夹1"));
    pages_->setGeometry(9, 80, 552, 352);
    for (QWidget* page : slotPages) {
        pages_->addWidget(page != nullptr ? page : new QWidget);
    }
    settings_ = new SettingsPage;
    pages_->addWidget(settings_);

    controls_ = new ControlStrip(this);
    controls_->setGeometry(10, 433, 550, 75);

    spectrum_ = new QWidget(this);
    spectrum_->setObjectName(QStringLiteral("频谱画板"));
    spectrum_->setGeometry(10, 512, 550, 27);

    bottom_ = new BottomLine(this);
    bottom_->setGeometry(0, BottomLine::kTop, kClientSize.width(), 30);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("状态条1"));
    statusBar_->setSizeGripEnabled(false);
    statusBar_->setGeometry(0, kClientSize.height() - 22, kClientSize.width(), 22);
    statusLabel_ = new QLabel(statusBar_);
    // Status texts name slots: shown as typed, never read as markup.
    statusLabel_->setTextFormat(Qt::PlainText);
    ResetStatusText();
    statusLabel_->setFont(YaHeiFont());
    statusBar_->addWidget(statusLabel_, 1);

    closeKeeper_ = new BlockedCloseKeeper(*this, this);
}

void MainWindow::SetSpectrumPanel(QWidget* panel) {
    panel->setParent(this);
    panel->setGeometry(spectrum_->geometry());
    panel->setObjectName(QStringLiteral("频谱画板"));
    delete spectrum_;
    spectrum_ = panel;
    panel->show();
}

void MainWindow::SetStatusText(const QString& text) {
    statusLabel_->setText(text);
}
void MainWindow::ResetStatusText() {
    // Standing notices (no global hotkeys, other copies unchecked) outlive passing texts.
    statusLabel_->setText(notices_.isEmpty() ? QStringLiteral("准备就绪")
                                             : notices_.join(QStringLiteral("；")));
}
QString MainWindow::StatusText() const {
    return statusLabel_->text();
}

void MainWindow::AddStatusNotice(const QString& text) {
    notices_.append(text);
    ResetStatusText();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    closeKeeper_->SetAsking(true);
    emit closeRequested(event);
    closeKeeper_->SetAsking(false);
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        emit minimised();
    }
}

}  // namespace vorlune
