#include "authoring/NewClassForm.h"

#include "model/TextRules.h"

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
    return kelvarin::IsIdentifier(text);
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
