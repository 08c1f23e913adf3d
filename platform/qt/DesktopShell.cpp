#include "platform/qt/DesktopShell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "platform/qt/XdgAssociations.h"

namespace tessaline {

int DesktopShell::open(const std::string& target) {
    const QString text = QString::fromStdString(target);
    QUrl url(text, QUrl::StrictMode);
    if (url.isValid() && url.scheme().isEmpty()) {
        // A bare path names a file; the desktop only opens files it can find.
        if (!QFileInfo::exists(text)) {
            return shellresult::FileNotFound;
        }
        url = QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    }
    if (text.isEmpty() || !url.isValid()) {
        return shellresult::FileNotFound;
    }
    return QDesktopServices::openUrl(url) ? shellresult::Opened : shellresult::NoAssociation;
}

int DesktopShell::readClassesRootValue(const std::string& key, std::string& value) {
    return readXdgAssociation(XdgDirs::fromEnvironment(), key, value);
}

int DesktopShell::startProgram(const std::string& program,
                               const std::vector<std::string>& arguments, int /*show*/) {
    if (program.empty()) {
        return shellresult::FileNotFound;
    }
    QStringList list;
    for (const std::string& argument : arguments) {
        list << QString::fromStdString(argument);
    }
    return QProcess::startDetached(QString::fromStdString(program), list)
               ? shellresult::Started
               : shellresult::FileNotFound;
}

void DesktopShell::beep() {
    QApplication::beep();
}

}  // namespace tessaline
