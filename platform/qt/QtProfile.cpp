#include "platform/qt/QtProfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>
#include <limits>

namespace tessaline {

namespace {

QString settingsKey(const std::string& section, const std::string& key) {
    QString name = QString::fromStdString(key);
    return section.empty() ? name : QString::fromStdString(section) + '/' + name;
}

// Integers as such, or text that is exactly an integer in range; anything else is missing.
bool toStoredInt(const QVariant& value, int& result) {
    bool ok = false;
    switch (value.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Short:
        case QMetaType::UShort: {
            qlonglong wide = value.toLongLong(&ok);
            if (ok && wide >= std::numeric_limits<int>::min() &&
                wide <= std::numeric_limits<int>::max()) {
                result = static_cast<int>(wide);
                return true;
            }
            return false;
        }
        case QMetaType::QString:
        case QMetaType::QByteArray:
            result = value.toString().toInt(&ok, 10);
            return ok;
        default:
            return false;
    }
}

}  // namespace

QString executableBaseName() {
    QString path;
    if (QCoreApplication::instance() != nullptr) {
        path = QCoreApplication::applicationFilePath();
    }
    if (path.isEmpty()) {
        path = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    }
    QString name = QFileInfo(path).completeBaseName();
    return name.isEmpty() ? QStringLiteral("tessaline") : name;
}

QtProfile::QtProfile(QString application, QString organisation)
    : organisation_(std::move(organisation)), application_(std::move(application)) {}

QString QtProfile::application() const {
    return application_.isEmpty() ? executableBaseName() : application_;
}

QString QtProfile::location() const {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application());
    return settings.fileName();
}

int QtProfile::readInt(const std::string& section, const std::string& key, int defaultValue) {
    std::lock_guard guard(mutex_);
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application());
    QVariant value = settings.value(settingsKey(section, key));
    int result = 0;
    return value.isValid() && toStoredInt(value, result) ? result : defaultValue;
}

void QtProfile::writeInt(const std::string& section, const std::string& key, int value) {
    std::lock_guard guard(mutex_);
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application());
    settings.setValue(settingsKey(section, key), value);
    // Other programs (the command line front end) read the same store; a failed write is not
    // reported.
    settings.sync();
}

std::string QtProfile::readText(const std::string& section, const std::string& key,
                                const std::string& defaultValue) {
    std::lock_guard guard(mutex_);
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application());
    const QVariant value = settings.value(settingsKey(section, key));
    const int type = value.metaType().id();
    if (type != QMetaType::QString && type != QMetaType::QByteArray) {
        return defaultValue;
    }
    const QByteArray text = value.toString().toUtf8();
    if (text.size() > static_cast<qsizetype>(kMaxProfileText)) {
        return defaultValue;
    }
    return text.toStdString();
}

void QtProfile::writeText(const std::string& section, const std::string& key,
                          const std::string& value) {
    std::lock_guard guard(mutex_);
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application());
    settings.setValue(settingsKey(section, key), QString::fromStdString(value));
    settings.sync();
}

}  // namespace tessaline
