#include "platform/gui/WidgetPickers.h"

#include "platform/Desktop.h"
#include "platform/SpecPath.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace kelvarin {

QStringList ToNameFilters(const QString &windowsFilter)
{
    QStringList result;
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The description often repeats its patterns in parentheses, with
        // commas Qt would take as part of the patterns; they are given anew.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString p = pattern.trimmed();
            if (p.isEmpty())
                continue;
            patterns.append(p == QLatin1String("*.*") ? QStringLiteral("*") : p);
        }
        if (patterns.isEmpty())
            continue;
        result.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' '))
                      + QLatin1Char(')'));
    }
    return result;
}

namespace {

// Starts the dialog in the request's folder with its proposed file, and
// answers the chosen file.
std::optional<QString> Run(QFileDialog &dialog, const FilePickRequest &request)
{
    if (!request.startFolder.isEmpty()) {
        const QString folder = SpecPath::ToNative(request.startFolder);
        if (QFileInfo(folder).isDir())
            dialog.setDirectory(folder);
    }
    if (!request.proposedFile.isEmpty())
        dialog.selectFile(request.proposedFile);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(files.first());
}

} // namespace

std::optional<QString> WidgetPickers::PickDirectory(QWidget *parent, const QString &caption,
                                                    const QString &startDir)
{
    const QString start = startDir.isEmpty() ? QString() : SpecPath::ToNative(startDir);
    // ReadOnly takes away the dialog's "new folder" button.
    const QString chosen = QFileDialog::getExistingDirectory(
        parent, caption, start, QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen);
}

std::optional<QString> WidgetPickers::PickExecutable(QWidget *parent,
                                                     const FilePickRequest &request)
{
    QFileDialog dialog(parent, request.title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(ToNameFilters(request.filter));
    dialog.setDefaultSuffix(Desktop::ProgramSuffix(request.defaultExtension));
    return Run(dialog, request);
}

std::optional<QString> WidgetPickers::PickFile(QWidget *parent, const FilePickRequest &request,
                                               bool forSaving)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(ToNameFilters(request.filter));
    // "*.Kelvar" as a default extension: a name typed without one gets it.
    QString suffix = request.defaultExtension;
    while (suffix.startsWith(QLatin1Char('*')) || suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    return Run(dialog, request);
}

} // namespace kelvarin
