#include "model/PackageLoader.h"

#include "model/ClassModel.h"
#include "model/ElapsedTime.h"
#include "model/PackageRemover.h"
#include "model/Scanner.h"
#include "model/SourceReadAhead.h"
#include "model/TextRules.h"
#include "package/PackageFile.h"
#include "model/Options.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/SpecPath.h"
#include "platform/Prompter.h"
#include "platform/TextFile.h"

#include <QThread>
#include <QTime>

namespace kelvarin {

namespace {

// Drops the package's classes that still wait for their parents. A merge load
// scans the package again and stages every class anew, from the sources as
// they are now; the old lines would otherwise stay beside the new ones, and
// each such class would be attached twice once its parent arrives.
void DropWaiting(SortedList &files, const QString &package)
{
    const QString upper = UpperCase(package);
    std::vector<char> keep(size_t(files.Count()), 1);
    bool any = false;
    for (int row = 0; row < files.Count(); ++row) {
        // "parent=class&package": the package follows the first "&" after the first "=".
        const QString &entry = files.At(row);
        const qsizetype amp = entry.indexOf(QLatin1Char('&'), entry.indexOf(QLatin1Char('=')) + 1);
        if (amp < 0 || entry.size() - amp - 1 != upper.size())
            continue;
        if (UpperCase(entry.mid(amp + 1)) == upper) {
            keep[size_t(row)] = 0;
            any = true;
        }
    }
    if (any)
        files.KeepOnly(keep);
}

// One line of the editor engine's section, read the way both the loading
// and the reading ahead read it.
struct SectionLine
{
    enum class Kind { Other, EditPackages, NextSection } kind = Kind::Other;
    QString package;   // an EditPackages entry's name, as written
    QString upperPackage;
};

SectionLine ReadSectionLine(const QString &line)
{
    SectionLine read;
    const QString trimmed = Trim(line);
    const QString upper = UpperCase(trimmed);
    if (upper.startsWith(QLatin1Char('['))) {
        read.kind = SectionLine::Kind::NextSection;
    } else if (upper.startsWith(QLatin1String("EDITPACKAGES="))) {
        read.kind = SectionLine::Kind::EditPackages;
        read.package = trimmed.mid(13);
        read.upperPackage = upper.mid(13);
    }
    return read;
}

} // namespace

PackageLoader::PackageLoader(ClassModel &model)
    : m_model(model)
{
}

int PackageLoader::DefaultReadAheadThreads()
{
    // Reading sources is mostly waiting for the file system; a few workers
    // are plenty, and one core gains nothing from them.
    const int cores = QThread::idealThreadCount();
    return cores > 1 ? std::min(cores, 4) : 0;
}

QString PackageLoader::ClassesDir(const QString &package) const
{
    return m_model.Options().BaseDir + QLatin1Char('\\') + package + QLatin1String("\\Classes\\");
}

bool PackageLoader::LoadPackage(const QString &package, bool merge)
{
    // A name that is not one plain directory name (from a state file or
    // the configuration) has no sources of its own: it would name another
    // directory's.
    if (!SpecPath::IsSafeComponent(package)) {
        m_model.Prompt().Error(QStringLiteral("Unable to find any source for ") + package,
                               QStringLiteral("Kelvarin error"));
        return false;
    }
    const QString classesDir = ClassesDir(package);
    // Read ahead, the listing that gave the sources also tells whether there
    // are any.
    std::optional<Scanner::StagedSources> read;
    if (m_readAhead && m_readAhead->IsNext(classesDir)) {
        read = m_readAhead->Take(classesDir, m_model.Pump());
        if (!read)
            return false;   // the application is terminating
    }
    if (read ? !read->anyMatch : !FileSystem::AnyMatch(classesDir + QLatin1String("*.uc"))) {
        // Only a game package is read; any other file of that name (the UCC
        // stand-in's containers among them) leaves the package without sources.
        if (m_model.Options().bReadCompiledPackages
            && PackageFile::HasPackageTag(m_model.CompiledPackagePath(package)))
            return LoadCompiledPackage(package, merge);
        m_model.Prompt().Error(QStringLiteral("Unable to find any source for ") + package,
                               QStringLiteral("Kelvarin error"));
        return false;
    }
    m_model.Status(QStringLiteral("Loading: ") + package);
    if (merge)
        DropWaiting(m_model.Files(), package);
    if (!read)
        read = Scanner::ReadPackageSources(classesDir, &m_model.Pump());
    // Read from sources now, the classes are no longer the compiled ones
    // (there are none to unmark unless some package was read compiled).
    if (m_model.AnyCompiledClasses()) {
        QStringList classes;
        for (const QString &line : read->lines)
            classes.append(line.section(QLatin1Char('='), 1).section(QLatin1Char('&'), 0, 0));
        m_model.MarkCompiledClasses(classes, false);
    }
    Scanner::StageSources(m_model.Files(), std::move(*read));
    FinishLoad(merge);
    return true;
}

bool PackageLoader::LoadCompiledPackage(const QString &package, bool merge)
{
    std::optional<PackageFile> compiled;
    try {
        compiled = PackageFile::Open(m_model.CompiledPackagePath(package));
    } catch (const KelvarinError &error) {
        m_model.Prompt().Error(error.Message(), QStringLiteral("Kelvarin error"));
        return false;
    }
    m_model.Status(QStringLiteral("Loading: ") + package);
    if (merge)
        DropWaiting(m_model.Files(), package);
    // The classes are staged as a source of each would stage them, in the
    // package's export order; a name that could not be a class's (and so
    // would break the staged line) is passed over, as a source file of that
    // name would be.
    Scanner::StagedSources staged;
    QStringList classes;
    for (const PackageClass &packageClass : compiled->Classes()) {
        if (!IsIdentifier(packageClass.name, NameLetters::Latin1)
            || (!packageClass.parent.isEmpty() && !IsIdentifier(packageClass.parent, NameLetters::Latin1)))
            continue;
        QString line = packageClass.parent + QLatin1Char('=') + packageClass.name + QLatin1Char('&') + package;
        staged.keys.emplace_back(line);
        staged.lines.append(std::move(line));
        classes.append(packageClass.name);
    }
    staged.anyMatch = !staged.lines.isEmpty();
    m_model.MarkCompiledClasses(classes, true);
    Scanner::StageSources(m_model.Files(), std::move(staged));
    FinishLoad(merge);
    return true;
}

void PackageLoader::FinishLoad(bool merge)
{
    Scanner::ResolveFilesList(m_model, m_model.Browser(), m_model.Files(), merge);
    m_model.SortTrees();
    Tree &browser = m_model.Browser();
    if (browser.Selected() && browser.Selected() == browser.First() && browser.Count() > 1)
        browser.Select(Tree::Next(browser.First()));
    m_model.Status(QStringLiteral("Done"));
}

std::optional<QStringList> PackageLoader::EditorEngineSection()
{
    // The configuration is read whole and cut into pieces of at most 255
    // characters: a longer line is taken as several lines, as a bounded
    // line buffer would take it.
    const std::optional<QString> text = TextFile::ReadAll(
        m_model.Options().BaseDir + QLatin1String("\\System\\UnrealTournament.ini"));
    if (!text)
        return std::nullopt;
    QStringList lines = TextFile::SplitPieces(*text, 255);
    EventPump &pump = m_model.Pump();
    for (qsizetype at = 0; at < lines.size(); ++at) {
        pump.Pump();
        if (pump.Terminating())
            return std::nullopt;
        if (UpperCase(Trim(lines.at(at))) == QLatin1String("[EDITOR.EDITORENGINE]")) {
            lines.remove(0, at + 1);
            return lines;
        }
    }
    return std::nullopt;
}

QStringList PackageLoader::ClassesDirsAhead(const QStringList &section, bool listed) const
{
    QStringList ahead;
    for (const QString &line : section) {
        const SectionLine read = ReadSectionLine(line);
        if (read.kind == SectionLine::Kind::NextSection)
            break;
        if (read.kind != SectionLine::Kind::EditPackages)
            continue;
        const QString &name = read.package;
        // The loading stops at a package it cannot load; a name that is not
        // one plain directory name is never read, not even ahead.
        if (!SpecPath::IsSafeComponent(name) || (listed && m_model.Packages().IndexOf(name) < 0))
            break;
        ahead.append(ClassesDir(name));
    }
    return ahead;
}

void PackageLoader::ReadEditPackages()
{
    const std::optional<QStringList> section = EditorEngineSection();
    if (!section)
        return;
    const QStringList ahead = ClassesDirsAhead(*section, true);
    SourceReadAhead readAhead(ahead, ahead.size() > 1 ? m_readAheadThreads : 0);
    LoadEditPackages(*section, readAhead);
}

void PackageLoader::LoadEditPackages(const QStringList &section, SourceReadAhead &readAhead)
{
    m_readAhead = &readAhead;
    struct Forget
    {
        SourceReadAhead *&readAhead;
        ~Forget() { readAhead = nullptr; }
    } forget{m_readAhead};

    EventPump &pump = m_model.Pump();
    for (const QString &line : section) {
        pump.Pump();
        if (pump.Terminating())
            return;
        const SectionLine read = ReadSectionLine(line);
        if (read.kind == SectionLine::Kind::NextSection)
            return;
        if (read.kind != SectionLine::Kind::EditPackages)
            continue;
        const QString &name = read.package;
        const QString &upperName = read.upperPackage;
        const int row = m_model.Packages().IndexOf(name);
        if (row < 0) {
            if (upperName == QLatin1String("CORE"))
                m_model.Prompt().Error(QStringLiteral(
                    "Unable to load package CORE. This ususally indicates that you haven't "
                    "exported the UScript code the right way. Please read the readme file."));
            else
                m_model.Prompt().Error(
                    QStringLiteral("Unable to load package ") + upperName
                    + QStringLiteral(". If you've just hit \"Read default packages\", the package is "
                                     "in the EditPackages list in UnrealTournament.ini. Please "
                                     "export the code or remove the package from the EditPackages "
                                     "list. If you just want to load a package, please export the "
                                     "code first."));
            return;
        }
        m_model.Packages().SetMark(row, PackageList::Mark::Checked);
        if (!LoadPackage(name, false))
            return;
    }
}

QString PackageLoader::ReadDefaultPackages()
{
    const QTime start = QTime::currentTime();
    // The configuration is read before the reset, so that workers read the
    // sources of the packages it names while the reset lists the package
    // directories. Which packages load is still decided against that list.
    const std::optional<QStringList> section = EditorEngineSection();
    const QStringList ahead = section ? ClassesDirsAhead(*section, false) : QStringList();
    {
        SourceReadAhead readAhead(ahead, ahead.size() > 1 ? m_readAheadThreads : 0);
        m_model.ResetModel();
        if (section)
            LoadEditPackages(*section, readAhead);
    }
    m_model.SortTrees();
    m_model.MarkLastCompiledPackage();
    const QString report = ClassesLoadedReport(QStringLiteral("Load time: "), start,
                                               QTime::currentTime(), m_model.ClassCount());
    m_model.Status(report);
    return report;
}

void PackageLoader::RefreshModel()
{
    m_model.Status(QStringLiteral("Processing: Reading files"));
    m_model.ShowProcess(QStringLiteral("Reading files"));
    m_model.ListPackageDirs();
    Scanner::ResolveFilesList(m_model, m_model.Browser(), m_model.Files(), false);
    m_model.Status(QStringLiteral("Done"));
}

bool PackageLoader::PackageTickChanged(int row)
{
    PackageList &packages = m_model.Packages();
    if (row < 0 || row >= packages.Count())
        return false;
    const QString package = packages.Text(row);
    if (packages.MarkAt(row) == PackageList::Mark::Checked) {
        LoadPackage(package, false);
        m_model.MarkLastCompiledPackage();
        return true;
    }
    packages.SetMark(row, PackageList::Mark::Grey);
    const bool removed = PackageRemover(m_model).UnloadPackage(package);
    if (m_model.Pump().Terminating())
        return false;
    // The list may have changed while the unload let events run.
    const int now = packages.IndexOf(package);
    if (!removed) {
        m_model.Prompt().Plain(QStringLiteral("There are packages depending on ") + package
                               + QStringLiteral("\r\nIt can't be removed."));
        packages.SetMark(now, PackageList::Mark::Checked);
    } else {
        packages.SetMark(now, PackageList::Mark::Unchecked);
    }
    m_model.MarkLastCompiledPackage();
    return removed;
}

} // namespace kelvarin
