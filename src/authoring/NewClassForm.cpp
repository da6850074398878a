#include "authoring/NewClassForm.h"

#include <QStringList>

namespace kelvarin {

void NewClassForm::SetParentClass(const QString &parent)
{
    m_parentFixed = true;
    m_entry.parent = parent;
    m_parentLooksFixed = true;
    m_entry.name = QStringLiteral("My") + parent;
    if (!m_packageFixed)
        m_entry.package = QLatin1String(ProposedPackage);
    m_packageLooksFixed = false;
}

void NewClassForm::SetPackage(const QString &package)
{
    m_packageFixed = true;
    if (!m_parentFixed) {
        m_entry.parent = QLatin1String(ProposedParent);
        m_parentLooksFixed = false;
    }
    m_entry.name = QLatin1String(ProposedClass);
    m_entry.package = package;
    m_packageLooksFixed = true;
}

void NewClassForm::FormClose()
{
    m_packageFixed = false;
    m_parentFixed = false;
}

QString NewClassForm::Refusal(const NewClassEntry &entry)
{
    if (entry.package == QLatin1String(ProposedPackage))
        return QLatin1String(PackageRefusal);
    if (entry.name == QLatin1String(ProposedClass))
        return QLatin1String(ClassRefusal);
    if (entry.parent == QLatin1String(ProposedParent))
        return QLatin1String(ParentRefusal);
    if (!IsIdentifier(entry.package))
        return QLatin1String(BadPackageName);
    if (!IsIdentifier(entry.name))
        return QLatin1String(BadClassName);
    if (!IsParentName(entry.parent))
        return QLatin1String(BadParentName);
    return {};
}

bool NewClassForm::IsIdentifier(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
        const bool digit = c >= u'0' && c <= u'9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}

bool NewClassForm::IsParentName(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() > 2)
        return false;
    for (const QString &part : parts)
        if (!IsIdentifier(part))
            return false;
    return true;
}

} // namespace kelvarin
