#include "authoring/NewClassCommands.h"

#include "authoring/NewClassDialog.h"
#include "authoring/NewClassForm.h"
#include "model/ClassModel.h"
#include "model/PackageLoader.h"
#include "model/TextRules.h"
#include "model/Options.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/SpecPath.h"

#include <QFile>
#include <QFileInfo>

namespace kelvarin {

namespace {

const QString EqualsLine = QStringLiteral("// ") + QString(60, QLatin1Char('='));

bool FitsLatin1(const QStringList &lines)
{
    for (const QString &line : lines)
        for (QChar c : line)
            if (c.unicode() > 0xFF)
                return false;
    return true;
}

// The package node a package-tree node stands under (itself for a package
// node); null for the root.
TreeNode *PackageNodeOf(TreeNode *node)
{
    if (!node || !node->Parent())
        return nullptr;
    while (node->Parent()->Parent())
        node = node->Parent();
    return node;
}

} // namespace

NewClassCommands::NewClassCommands(ClassModel &model)
    : m_model(model)
{
}

QString NewClassCommands::PackageDir(const QString &package) const
{
    return m_model.Options().BaseDir + QLatin1Char('\\') + package;
}

bool NewClassCommands::RefuseWhileBusy()
{
    return m_model.RefuseWhileBusy();
}

// ---- The pop-up ------------------------------------------------------------

void NewClassCommands::CreateClassPopupItemClick(TreeNode *popupNode)
{
    if (!popupNode || !popupNode->OwnerTree() || !m_dialog || RefuseWhileBusy())
        return;
    // Only texts are kept across the modal dialog: nodes may go meanwhile.
    if (popupNode->OwnerTree()->TreeKind() == Tree::Kind::ClassTree) {
        if (!popupNode->Parent())
            return;   // the root "Classes" is nobody's parent class
        const QString parent = popupNode->Text();
        const QString lastCompiled = m_model.Options().LastCompiledPackage;
        if (!lastCompiled.isEmpty())
            m_dialog->SetPackage(lastCompiled);
        m_dialog->SetParentClass(parent);
        if (!m_dialog->Execute())
            return;
        const NewClassEntry entry = m_dialog->Entry();
        CreateClassFile(entry.name, parent, entry.package);
        return;
    }
    TreeNode *packageNode = PackageNodeOf(popupNode);
    if (!packageNode)
        return;
    const QString package = packageNode->Text();
    m_dialog->SetPackage(package);
    if (!m_dialog->Execute())
        return;
    const NewClassEntry entry = m_dialog->Entry();
    CreateClassFile(entry.name, entry.parent, package);
}

void NewClassCommands::AddeditcustomcommentClick(TreeNode *rightClickedNode)
{
    if (!rightClickedNode || !rightClickedNode->OwnerTree()
        || rightClickedNode->OwnerTree()->TreeKind() != Tree::Kind::PackageTree)
        return;
    TreeNode *packageNode = PackageNodeOf(rightClickedNode);
    if (!packageNode || !SpecPath::IsSafeComponent(packageNode->Text()))
        return;
    const QString path = PackageDir(packageNode->Text()) + QLatin1String("\\Comment.txt");
    const QString native = SpecPath::ToNative(path);
    if (!QFileInfo::exists(native)) {
        // NewOnly: whatever appeared at that path meanwhile is never
        // replaced. A missing package directory makes this fail; the editor
        // then reports the missing file.
        QFile file(native);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.close();
        SpecPath::ForgetListings();
    }
    if (m_openInEditor)
        m_openInEditor(path);
}

// ---- Scripts ---------------------------------------------------------------

bool NewClassCommands::NewClass(const QString &package, const QString &name, const QString &parent)
{
    if (RefuseWhileBusy())
        return false;
    const QString refusal = NewClassForm::Refusal(NewClassEntry{name, parent, package});
    if (!refusal.isEmpty()) {
        m_model.Prompt().Plain(refusal);
        return false;
    }
    return CreateClassFile(name, parent, package);
}

// ---- The file --------------------------------------------------------------

bool NewClassCommands::CreateClassFile(const QString &name, const QString &parent,
                                       const QString &package)
{
    if (RefuseWhileBusy())
        return false;
    const QString packageDir = PackageDir(package);
    const QString classesDir = packageDir + QLatin1String("\\Classes");
    const QString path = classesDir + QLatin1Char('\\') + name + QLatin1String(".uc");
    // A name that would lead out of the package's Classes directory (or an
    // empty one, which would make a file named ".uc") cannot be created.
    if (name.isEmpty() || !SpecPath::IsSafeComponent(package)
        || !SpecPath::IsSafeComponent(name + QLatin1String(".uc"))) {
        m_model.Prompt().Error(QStringLiteral("Cannot create file ") + SpecPath::Display(path));
        return false;
    }
    if (FileSystem::FileExists(path)) {
        m_model.Prompt().Error(QStringLiteral("The class ") + package + QLatin1Char('.') + name
                               + QStringLiteral(" already exists!"));
        return false;
    }

    const QStringList lines = ClassFileLines(name, parent, package);
    // The system's 8-bit code page, unless the template brought characters
    // it cannot hold: then the template's own encoding, so nothing becomes "?".
    TextEncoding encoding = TextEncoding::Latin1;
    if (!FitsLatin1(lines))
        encoding = m_templateEncoding == TextEncoding::Latin1 ? TextEncoding::Utf8Bom : m_templateEncoding;

    // Either may exist already; a failure shows as the failed write below.
    FileSystem::MakeDir(packageDir);
    FileSystem::MakeDir(classesDir);
    if (!TextFile::WriteLines(path, lines, encoding)) {
        m_model.Prompt().Error(QStringLiteral("Cannot create file ") + SpecPath::Display(path));
        return false;
    }

    ClassModel::BusyScope busy(m_model, QStringLiteral("loading ") + package);
    PackageLoader loader(m_model);
    loader.RefreshModel();
    // Ticked directly: the list's tick handler would load the package without merge.
    const int row = m_model.Packages().IndexOf(package);
    if (row >= 0)
        m_model.Packages().SetMark(row, PackageList::Mark::Checked);
    loader.LoadPackage(package, true);
    m_model.MarkLastCompiledPackage();
    return true;
}

QStringList NewClassCommands::ClassFileLines(const QString &name, const QString &parent,
                                             const QString &package)
{
    QStringList lines;
    lines.append(EqualsLine);
    AppendCustomComment(lines, package, name);
    lines.append(EqualsLine);
    lines.append(QString());
    lines.append(QStringLiteral("class ") + name + QStringLiteral(" expands ") + parent
                 + QLatin1Char(';'));
    lines.append(QString());
    lines.append(QStringLiteral("defaultproperties {"));
    lines.append(QStringLiteral("}"));
    return lines;
}

void NewClassCommands::AppendCustomComment(QStringList &lines, const QString &package,
                                           const QString &name)
{
    m_templateEncoding = TextEncoding::Latin1;
    const std::optional<QStringList> templateLines =
        SpecPath::IsSafeComponent(package)
            ? ReadTemplate(PackageDir(package) + QLatin1String("\\Comment.txt"), &m_templateEncoding)
            : std::nullopt;
    if (!templateLines) {
        lines.append(QStringLiteral("// ") + package + QLatin1Char('.') + name
                     + QStringLiteral(": put your comment here"));
        lines.append(QString());
        lines.append(QLatin1String(CreditLine));
        return;
    }
    for (const QString &raw : *templateLines) {
        QString line = Trim(raw);
        line = ReplacePlaceholder(line, QStringLiteral("$PACKAGE"), package);
        line = ReplacePlaceholder(line, QStringLiteral("\\$PACKAGE"), QStringLiteral("$PACKAGE"));
        line = ReplacePlaceholder(line, QStringLiteral("$CLASS"), name);
        line = ReplacePlaceholder(line, QStringLiteral("\\$CLASS"), QStringLiteral("$CLASS"));
        lines.append(line);
    }
}

QString NewClassCommands::ReplacePlaceholder(const QString &line, const QString &pattern,
                                             const QString &replacement)
{
    const qsizetype at = line.indexOf(pattern);
    if (at < 0)
        return line;
    if (at > 0 && line.at(at - 1) == QLatin1Char('\\'))
        return line;
    return line.left(at) + replacement + line.mid(at + pattern.size());
}

std::optional<QStringList> NewClassCommands::ReadTemplate(const QString &specPath,
                                                          TextEncoding *encoding)
{
    const QString native = SpecPath::ToNative(specPath);
    if (QFileInfo(native).isDir())
        return std::nullopt;
    QFile file(native);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    TextEncoding found = TextEncoding::Latin1;
    const QString text = TextFile::Decode(bytes, &found);
    // NUL bytes without a byte-order mark: UTF-16 without its mark, or no
    // text at all. Its bytes would go into the source as they are.
    if (found == TextEncoding::Latin1 && bytes.contains('\0'))
        return std::nullopt;
    if (encoding)
        *encoding = found;
    // Whole lines, however long: a line cut in two would turn its second
    // half into code.
    return TextFile::SplitLines(text);
}

} // namespace kelvarin
