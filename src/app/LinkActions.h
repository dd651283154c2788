#pragma once

#include <QObject>
#include <memory>
#include <string>

class QMenu;

namespace vorlune {

class DesktopServices;
class ProgramFolder;
class Prompts;
class SettingsStore;

// The links of the bottom line: the help and contact pages, and the shop with its menu
// "链接分享" that opens the shop page or copies a recommendation with its address. Addresses
// are read from config.ini at each click.
class LinkActions : public QObject {
    Q_OBJECT
  public:
    LinkActions(SettingsStore& settings, DesktopServices& desktop, Prompts& prompts,
                const ProgramFolder& folder, QObject* parent = nullptr);
    ~LinkActions() override;

    void OpenHelp();
    void OpenContact();
    // Pops up "链接分享" beside the mouse cursor.
    void ShowShareMenu();
    void OpenShop();
    // Puts the recommendation with the shop address on the clipboard and says so.
    void CopyShareText();

    // Hands the address to the desktop's default handler, if it is one the program opens
    // (see OpenableAddress); anything else is ignored without a message.
    void OpenAddress(const std::string& address);

  private:
    SettingsStore& settings_;
    DesktopServices& desktop_;
    Prompts& prompts_;
    const ProgramFolder& folder_;
    std::unique_ptr<QMenu> menu_;
};

}  // namespace vorlune
