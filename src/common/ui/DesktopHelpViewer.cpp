#include "common/ui/DesktopHelpViewer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace magtune::common {

void DesktopHelpViewer::showTopic(const std::string& topic) {
    if (helpFolder_.empty()) {
        prompter_.warning("Unable to display Help Contents.");
        return;
    }
    // "::/html/page.htm" names the page inside the help folder.
    std::string page = topic.starts_with("::/") ? topic.substr(3) : topic;
    QString path = QString::fromStdString(helpFolder_ + "/" + page);
    if (!QFileInfo::exists(path)) {
        prompter_.warning("The help page " + path.toStdString() + " is missing.");
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        prompter_.warning(NoBrowserMessage(path.toStdString()));
    }
}

std::string DesktopHelpViewer::NoBrowserMessage(const std::string& page) {
    // The desktop opens pages through xdg-open, which needs a web browser.
    return "No browser could open " + page +
           ".\n\nInstall xdg-utils and a web browser, or open the page in a web browser yourself.";
}

std::string DesktopHelpViewer::FindHelpFolder(const std::string& programFolder) {
    const QString candidates[] = {
        QString::fromStdString(programFolder + "/help"),
        QString::fromStdString(programFolder + "/../share/magtune/help"),
    };
    for (const QString& folder : candidates) {
        if (QFileInfo::exists(folder + QStringLiteral("/html/msr.htm"))) {
            return QFileInfo(folder).canonicalFilePath().toStdString();
        }
    }
    return {};
}

}  // namespace magtune::common
