#pragma once

#include <QString>

namespace tavlex {

// Section-and-key reads from the Windows registry. This platform has no registry: the only reader
// asked for the program files folder, which start-up here never needs, as the per-user data
// folder always exists. The class keeps the interface and the way key paths are formed so that
// callers stay as they are; every value reads as missing, so GetText gives its default.
class SRegIniFile {
  public:
    enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

    // keyPath "" names the root itself.
    SRegIniFile(RootKey rootKey, bool readOnly, const QString& keyPath);

    RootKey Root() const { return rootKey_; }
    bool IsReadOnly() const { return readOnly_; }

    // The key GetText reads for section: below the root when section begins with "\" (which is
    // dropped), else below the key path given at construction. Delimiter "\", as in the registry.
    QString SectionKeyPath(const QString& section) const;

    // The string value name of the section's key; here always the default.
    QString GetText(const QString& section, const QString& name, const QString& defaultValue) const;

  private:
    RootKey rootKey_;
    bool readOnly_;
    QString keyPath_;
};

}  // namespace tavlex
