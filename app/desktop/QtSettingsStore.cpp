#include "app/desktop/QtSettingsStore.h"

#include "export/IniSettingsStore.h"

#include <cstdio>

namespace {

QString Key(std::string_view section, std::string_view name) {
    return QString::fromLocal8Bit(section.data(), static_cast<qsizetype>(section.size())) + '/' +
           QString::fromLocal8Bit(name.data(), static_cast<qsizetype>(name.size()));
}

QString Text(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QtSettingsStore::QtSettingsStore() {
    // QSettings would block on a pipe and read a device without end: the file is looked at first.
    const std::string path = IniSettingsStore::UserPath();
    std::string content;
    m_problem = IniSettingsStore::Unusable(path, content);
    if (!m_problem.empty()) {
        std::fprintf(stderr, "frt2dxf: %s: %s; using the defaults\n", path.c_str(), m_problem.c_str());
        return;
    }
    m_settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("Halvora/QVO/PLVX"), QStringLiteral("frt2dxf"));
}

QtSettingsStore::QtSettingsStore(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

int QtSettingsStore::ReadInt(std::string_view section, std::string_view name, int fallback) {
    if (!m_settings)
        return fallback;
    bool ok = false;
    const int value = m_settings->value(Key(section, name), fallback).toInt(&ok);
    return ok ? value : 0;
}

std::string QtSettingsStore::ReadText(std::string_view section, std::string_view name,
                                      std::string_view fallback) {
    if (!m_settings)
        return std::string(fallback);
    return m_settings->value(Key(section, name), Text(fallback)).toString().toLocal8Bit().toStdString();
}

void QtSettingsStore::WriteInt(std::string_view section, std::string_view name, int value) {
    if (m_settings)
        m_settings->setValue(Key(section, name), value);
}

void QtSettingsStore::WriteText(std::string_view section, std::string_view name, std::string_view value) {
    if (m_settings)
        m_settings->setValue(Key(section, name), Text(value));
}
