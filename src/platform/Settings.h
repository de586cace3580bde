#pragma once
// TRegistry: the settings store that stands in for the Windows registry, on QSettings.
//
// A key is written as the registry writes it, "\SOFTWARE\VekPokaz" or a key below it. The key
// "\SOFTWARE\<Name>" is one settings file, ~/.config/<Name>/<Name>.conf for the current user
// ($XDG_CONFIG_HOME when set) or the system-wide file of the same name for the machine-wide root;
// a key below it is a group of that file. Value names are kept as given. Integers are stored as
// decimal text, Booleans as the integers 0 and 1, strings as text. GUI thread only.

#include "platform/Errors.h"

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace vek {

// A value that is missing or cannot be read as the type asked for, or a key that cannot be used.
class ERegistryException : public Exception {
    using Exception::Exception;
};

enum class RegistryRoot { CurrentUser, LocalMachine };

class TRegistry {
public:
    explicit TRegistry(RegistryRoot root = RegistryRoot::CurrentUser);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Opens a key. Without canCreate, fails when the key does not exist; with it, fails when the
    // store cannot be written. A key outside "\SOFTWARE\<Name>" is never opened.
    bool OpenKey(const QString& key, bool canCreate);
    // Whether the key exists, without opening it.
    bool KeyExists(const QString& key) const;
    // Writes what was changed and closes the key. Also done by the destructor.
    void CloseKey();
    bool HasCurrentKey() const { return m_settings != nullptr; }

    bool ValueExists(const QString& name) const;
    QStringList GetValueNames() const;
    // Each read throws ERegistryException when the value is missing or is not of the type asked.
    int ReadInteger(const QString& name) const;
    bool ReadBool(const QString& name) const; // an integer, not 0 meaning true
    QString ReadString(const QString& name) const;
    // Writes throw ERegistryException when no key is open.
    void WriteInteger(const QString& name, int value);
    void WriteBool(const QString& name, bool value);
    void WriteString(const QString& name, const QString& value);
    bool DeleteValue(const QString& name);

    // The file that holds a key of this root (for messages and tests); empty for a key outside
    // "\SOFTWARE\<Name>".
    QString FileFor(const QString& key) const;

private:
    struct Location {
        QString name;  // <Name> of "\SOFTWARE\<Name>"
        QString group; // the rest, '/'-separated, empty for the key itself
        bool valid = false;
    };
    static Location locate(const QString& key);
    std::unique_ptr<QSettings> settingsFor(const Location& where) const;
    QString valueText(const QString& name) const;

    RegistryRoot m_root;
    std::unique_ptr<QSettings> m_settings;
};

} // namespace vek
