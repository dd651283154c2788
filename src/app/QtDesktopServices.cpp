#include "app/QtDesktopServices.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QUrl>

namespace vorlune {

std::string QtDesktopServices::DesktopFolder() const {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString();
}

std::optional<std::string> QtDesktopServices::ChooseOpenFile(const std::string& title,
                                                             const std::string& filter,
                                                             const std::string& startFolder) {
    const QString file = QFileDialog::getOpenFileName(nullptr, QString::fromStdString(title),
                                                      QString::fromStdString(startFolder),
                                                      QString::fromStdString(filter));
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return file.toStdString();
}

bool QtDesktopServices::OpenWithSystem(const std::string& address) {
    const QString text = QString::fromStdString(address);
    const QUrl url = text.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(text) : QUrl(text);
    return QDesktopServices::openUrl(url);
}

void QtDesktopServices::SetClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

}  // namespace vorlune
