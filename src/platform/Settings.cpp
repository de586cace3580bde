#include "platform/Settings.h"

#include <QFileInfo>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace vek {
namespace {

// Whether the key the settings stand for exists: its file for a key "\SOFTWARE\<Name>", a value
// or a key below it for a key further down.
bool holdsKey(const QSettings& settings, bool wholeFile) {
    if (wholeFile)
        return QFileInfo::exists(settings.fileName());
    return !settings.childKeys().isEmpty() || !settings.childGroups().isEmpty();
}

} // namespace

TRegistry::TRegistry(RegistryRoot root)
    : m_root(root) {}

TRegistry::~TRegistry() {
    CloseKey();
}

TRegistry::Location TRegistry::locate(const QString& key) {
    QStringList parts = key.split(u'\\', Qt::SkipEmptyParts);
    Location where;
    if (parts.size() < 2 || parts.front().compare(u"SOFTWARE"_s, Qt::CaseInsensitive) != 0)
        return where;
    for (const QString& part : parts)
        if (part.contains(u'/') || part.trimmed().isEmpty())
            return where; // a '/' would read as a group separator
    where.name = parts.at(1);
    where.group = parts.mid(2).join(u'/');
    where.valid = true;
    return where;
}

std::unique_ptr<QSettings> TRegistry::settingsFor(const Location& where) const {
    const auto scope = m_root == RegistryRoot::CurrentUser ? QSettings::UserScope : QSettings::SystemScope;
    auto settings = std::make_unique<QSettings>(QSettings::IniFormat, scope, where.name, where.name);
    settings->setFallbacksEnabled(false); // the user's key never reads through to the machine's
    if (!where.group.isEmpty())
        settings->beginGroup(where.group);
    return settings;
}

QString TRegistry::FileFor(const QString& key) const {
    const Location where = locate(key);
    return where.valid ? settingsFor(where)->fileName() : QString();
}

bool TRegistry::KeyExists(const QString& key) const {
    const Location where = locate(key);
    return where.valid && holdsKey(*settingsFor(where), where.group.isEmpty());
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
    CloseKey();
    const Location where = locate(key);
    if (!where.valid)
        return false;
    auto settings = settingsFor(where);
    if (canCreate ? !settings->isWritable() : !holdsKey(*settings, where.group.isEmpty()))
        return false;
    m_settings = std::move(settings);
    return true;
}

void TRegistry::CloseKey() {
    if (m_settings)
        m_settings->sync();
    m_settings.reset();
}

bool TRegistry::ValueExists(const QString& name) const {
    return m_settings && m_settings->contains(name);
}

QStringList TRegistry::GetValueNames() const {
    return m_settings ? m_settings->childKeys() : QStringList();
}

QString TRegistry::valueText(const QString& name) const {
    if (!ValueExists(name))
        throw ERegistryException(u"Brak wartości \"%1\" w rejestrze"_s.arg(name));
    const QVariant v = m_settings->value(name);
    if (!v.canConvert<QString>())
        throw ERegistryException(u"Nieprawidłowy typ danych wartości \"%1\""_s.arg(name));
    return v.toString();
}

int TRegistry::ReadInteger(const QString& name) const {
    bool ok = false;
    const int value = valueText(name).trimmed().toInt(&ok);
    if (!ok)
        throw ERegistryException(u"Nieprawidłowy typ danych wartości \"%1\""_s.arg(name));
    return value;
}

bool TRegistry::ReadBool(const QString& name) const {
    return ReadInteger(name) != 0;
}

QString TRegistry::ReadString(const QString& name) const {
    return valueText(name);
}

void TRegistry::WriteInteger(const QString& name, int value) {
    if (!m_settings)
        throw ERegistryException(u"Nie można zapisać wartości \"%1\""_s.arg(name));
    m_settings->setValue(name, value);
}

void TRegistry::WriteBool(const QString& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::WriteString(const QString& name, const QString& value) {
    if (!m_settings)
        throw ERegistryException(u"Nie można zapisać wartości \"%1\""_s.arg(name));
    m_settings->setValue(name, value);
}

bool TRegistry::DeleteValue(const QString& name) {
    if (!ValueExists(name))
        return false;
    m_settings->remove(name);
    return true;
}

} // namespace vek
