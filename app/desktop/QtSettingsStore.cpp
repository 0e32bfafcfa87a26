#include "app/desktop/QtSettingsStore.h"

namespace {

QString Key(std::string_view section, std::string_view name) {
    return QString::fromLocal8Bit(section.data(), static_cast<qsizetype>(section.size())) + '/' +
           QString::fromLocal8Bit(name.data(), static_cast<qsizetype>(name.size()));
}

QString Text(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("Halvora/QVO/PLVX"), QStringLiteral("frt2dxf"))) {
}

QtSettingsStore::QtSettingsStore(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

int QtSettingsStore::ReadInt(std::string_view section, std::string_view name, int fallback) {
    bool ok = false;
    const int value = m_settings->value(Key(section, name), fallback).toInt(&ok);
    return ok ? value : 0;
}

std::string QtSettingsStore::ReadText(std::string_view section, std::string_view name,
                                      std::string_view fallback) {
    return m_settings->value(Key(section, name), Text(fallback)).toString().toLocal8Bit().toStdString();
}

void QtSettingsStore::WriteInt(std::string_view section, std::string_view name, int value) {
    m_settings->setValue(Key(section, name), value);
}

void QtSettingsStore::WriteText(std::string_view section, std::string_view name, std::string_view value) {
    m_settings->setValue(Key(section, name), Text(value));
}
