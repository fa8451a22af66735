#include "support/SRegIniFile.h"

namespace tavlex {

namespace {

QString JoinKeys(const QString& parent, const QString& child) {
    if (parent.isEmpty()) return child;
    if (child.isEmpty()) return parent;
    return parent + u'\\' + child;
}

}  // namespace

SRegIniFile::SRegIniFile(RootKey rootKey, bool readOnly, const QString& keyPath)
    : rootKey_(rootKey), readOnly_(readOnly), keyPath_(keyPath) {}

QString SRegIniFile::SectionKeyPath(const QString& section) const {
    if (section.startsWith(u'\\')) return section.mid(1);
    return JoinKeys(keyPath_, section);
}

QString SRegIniFile::GetText(const QString& /*section*/, const QString& /*name*/,
                             const QString& defaultValue) const {
    return defaultValue;
}

}  // namespace tavlex
