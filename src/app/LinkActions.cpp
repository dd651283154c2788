#include "app/LinkActions.h"

#include <QMenu>

#include "app/CursorMenu.h"
#include "app/Links.h"
#include "base/DesktopServices.h"
#include "base/ProgramFolder.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"

namespace vorlune {

LinkActions::LinkActions(SettingsStore& settings, DesktopServices& desktop, Prompts& prompts,
                         const ProgramFolder& folder, QObject* parent)
    : QObject(parent),
      settings_(settings),
      desktop_(desktop),
      prompts_(prompts),
      folder_(folder),
      menu_(std::make_unique<QMenu>()) {
    menu_->setObjectName(QStringLiteral("链接分享"));
    menu_->setTitle(QStringLiteral("链接分享"));
    const QAction* openShop = menu_->addAction(QStringLiteral("进入淘宝页面"));
    const QAction* copy = menu_->addAction(QStringLiteral("复制购买链接"));
    connect(openShop, &QAction::triggered, this, &LinkActions::OpenShop);
    connect(copy, &QAction::triggered, this, &LinkActions::CopyShareText);
}

LinkActions::~LinkActions() = default;

void LinkActions::OpenHelp() {
    OpenAddress(settings_.ReadSetting(setting::kHelpAddress.section, setting::kHelpAddress.key,
                                      kBuiltInHelpAddress));
}

void LinkActions::OpenContact() {
    OpenAddress(settings_.ReadSetting(setting::kContactAddress.section,
                                      setting::kContactAddress.key, kBuiltInHelpAddress));
}

void LinkActions::ShowShareMenu() {
    PopUpBesideCursor(*menu_);
}

void LinkActions::OpenShop() {
    OpenAddress(settings_.Read(setting::kShopAddress));
}

void LinkActions::CopyShareText() {
    desktop_.SetClipboardText(ShareText(settings_.Read(setting::kShopAddress)));
    prompts_.Show({.text = "亲，购买链接已经复制到剪切板了哦，可以右键粘贴分享给好友了哦！",
                   .icon = PromptIcon::Information});
}

void LinkActions::OpenAddress(const std::string& address) {
    if (const auto target = OpenableAddress(address, folder_.Path())) {
        desktop_.OpenWithSystem(target->target);
    }
}

}  // namespace vorlune
