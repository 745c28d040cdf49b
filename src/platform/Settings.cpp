#include "platform/Settings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>

#include <charconv>

namespace {

constexpr const char* kOrganization = "Quorv Software";
constexpr const char* kGroup = "Settings";
constexpr const char* kFallbackProgramName = "quorvtv";

// The registry stored 32-bit numbers; a hand-edited INI file can hold
// anything, so only a complete decimal integer in range is a value.
std::optional<int> ParseInt(const QByteArray& text) {
    int value = 0;
    const char* end = text.constData() + text.size();
    const auto [stop, error] = std::from_chars(text.constData(), end, value, 10);
    if (error != std::errc() || stop != end || text.isEmpty()) {
        return std::nullopt;
    }
    return value;
}

// A QSettings per call: its destructor writes the file, so every change is
// stored when the call returns, as the registry did.
class SettingsFile {
public:
    SettingsFile() : settings_(QString::fromStdString(Settings::FilePath()), QSettings::IniFormat) {
        settings_.beginGroup(kGroup);
    }

    std::optional<QVariant> Value(const char* key) const {
        const QVariant value = settings_.value(QLatin1String(key));
        if (!value.isValid()) {
            return std::nullopt;
        }
        return value;
    }

    QSettings& Raw() { return settings_; }

private:
    QSettings settings_;
};

// INI text that looks like a list ("a, b") comes back as a QStringList, which
// isn't a string setting.
std::optional<std::string> StoredString(const char* key) {
    const std::optional<QVariant> value = SettingsFile().Value(key);
    if (!value || value->typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value->toString().toStdString();
}

std::optional<int> StoredInt(const char* key) {
    const std::optional<QVariant> value = SettingsFile().Value(key);
    if (!value || value->typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return ParseInt(value->toString().toUtf8());
}

}  // namespace

std::optional<int> Settings::ReadInt(const IntSetting& setting) {
    if (std::optional<int> stored = StoredInt(setting.key)) {
        return stored;
    }
    return setting.defaultValue;
}

int Settings::ReadInt(const IntSetting& setting, int fallback) {
    return StoredInt(setting.key).value_or(fallback);
}

std::optional<std::string> Settings::ReadString(const StringSetting& setting) {
    if (std::optional<std::string> stored = StoredString(setting.key)) {
        return stored;
    }
    if (setting.defaultValue) {
        return std::string(*setting.defaultValue);
    }
    return std::nullopt;
}

std::string Settings::ReadString(const StringSetting& setting, const std::string& fallback) {
    return StoredString(setting.key).value_or(fallback);
}

void Settings::WriteInt(const IntSetting& setting, int value) {
    SettingsFile().Raw().setValue(QLatin1String(setting.key), QString::number(value));
}

void Settings::WriteString(const StringSetting& setting, const std::string& value) {
    SettingsFile().Raw().setValue(QLatin1String(setting.key), QString::fromStdString(value));
}

void Settings::Remove(const char* key) {
    SettingsFile().Raw().remove(QLatin1String(key));
}

std::string Settings::FilePath() {
    QString program = QCoreApplication::applicationName();
    if (program.isEmpty()) {
        program = QLatin1String(kFallbackProgramName);
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (folder + '/' + QLatin1String(kOrganization) + '/' + program + ".conf").toStdString();
}
