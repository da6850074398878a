#include "authoring/IntWizard.h"

#include "authoring/IntFile.h"
#include "model/ClassModel.h"
#include "model/PackageLoader.h"
#include "model/Options.h"
#include "platform/Errors.h"
#include "platform/SpecPath.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace kelvarin {

namespace {

const QChar Quote(QLatin1Char('"'));

} // namespace

QStringList IntWizard::ChoiceItems()
{
    return {QStringLiteral("Mutator"),
            QStringLiteral("MOD menu item"),
            QStringLiteral("Gametype"),
            QStringLiteral("Map list"),
            QStringLiteral("Manually add a line"),
            QStringLiteral("Nothing, just let me view it"),
            QStringLiteral("Open it in my text editor")};
}

IntWizard::IntWizard(ClassModel &model)
    : m_model(model)
{
}

QString IntWizard::IntPath() const
{
    return IntFile::PathFor(m_model.Options().BaseDir, m_package);
}

bool IntWizard::Show(const QString &package)
{
    m_open = false;
    m_package = package;
    m_summary.clear();
    m_final.clear();
    m_backLinks.fill(0);
    m_choice = NoChoice;
    m_addSomethingElse = false;
    if (package.isEmpty())
        return false;
    // The name becomes part of a path that is written on Finish.
    if (!SpecPath::IsSafeComponent(package))
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(SpecPath::Display(IntPath())));

    const IntFileContent content = IntFile::Read(IntPath());
    for (const QString &line : content.publicLines) {
        if (!Trim(line).isEmpty())
            AddSummaryLine(line);
    }
    m_caption = QStringLiteral("INT file for ") + package;
    EnterPage(InitialTab);
    m_nextCaption = QStringLiteral("&Next ->");
    m_open = true;
    return true;
}

void IntWizard::AddSummaryLine(const QString &text)
{
    SummaryLine line{text, true, SortKey(text)};
    auto at = std::upper_bound(m_summary.begin(), m_summary.end(), line,
                               [](const SummaryLine &a, const SummaryLine &b) {
                                   return a.key.Compare(b.key) < 0;
                               });
    m_summary.insert(at, std::move(line));
}

void IntWizard::SetChecked(int row, bool checked)
{
    if (row >= 0 && size_t(row) < m_summary.size())
        m_summary[size_t(row)].checked = checked;
}

void IntWizard::EnterPage(Page page)
{
    m_page = page;
    switch (page) {
    case InitialTab:
        m_backEnabled = false;
        break;
    case AddWhatTab:
        m_choice = ChooseNothing;
        break;
    case AddMutatorTab:
        m_fields[MutatorName] = m_package;
        m_fields[MutatorClass] = m_package + QLatin1Char('.') + m_package;
        m_fields[MutatorHelp] = m_package + QLatin1String(": mutates the game!");
        break;
    case AddModMenuTab:
        m_fields[ModMenuClass] = m_package + QLatin1Char('.');
        break;
    case AddGametypeTab:
        m_fields[GameTypeDescription] = QStringLiteral("Some gametype");
        m_fields[GameTypeClass] = m_package + QLatin1Char('.');
        break;
    case AddMapListTab:
        m_fields[MapListDescription] = QStringLiteral("Default");
        m_fields[MapListClass] = m_package + QLatin1Char('.');
        break;
    case AddManualLineTab:
        m_fields[ManualLine] = QStringLiteral("Object=(Name=");
        break;
    case SummaryTab:
        m_addSomethingElse = false;
        break;
    case CreateTab:
        m_final = QStringList{QStringLiteral("[Public]")};
        for (const SummaryLine &line : m_summary)
            if (line.checked)
                m_final.append(line.text);
        break;
    }
}

QStringList IntWizard::PageLines(Page page) const
{
    auto field = [this](Field f) { return m_fields[size_t(f)]; };
    switch (page) {
    case AddMutatorTab:
        return {QLatin1String("Object=(Name=") + field(MutatorClass)
                + QLatin1String(",Class=Class,MetaClass=Engine.Mutator,Description=") + Quote
                + field(MutatorName) + QLatin1Char(',') + field(MutatorHelp) + Quote
                + QLatin1Char(')')};
    case AddModMenuTab:
        return {QLatin1String("Object=(Name=") + field(ModMenuClass)
                + QLatin1String(",Class=Class,MetaClass=UMenu.UMenuModMenuItem)")};
    case AddGametypeTab:
        return {QLatin1String("Object=(Name=") + field(GameTypeClass)
                    + QLatin1String(",Class=Class,MetaClass=Botpack.TournamentGameInfo)"),
                QLatin1String("Preferences=(Caption=") + Quote + field(GameTypeDescription) + Quote
                    + QLatin1String(",Parent=") + Quote + QLatin1String("Game Types") + Quote
                    + QLatin1String(",Class=Botpack.DeathmatchPlus,Immediate=True)")};
    case AddMapListTab:
        return {QLatin1String("Object=(Name=") + field(MapListClass)
                + QLatin1String(",Class=Class,MetaClass=") + field(MapListClass)
                + QLatin1String(",Description=") + Quote + field(MapListDescription) + Quote
                + QLatin1Char(')')};
    case AddManualLineTab:
        return {field(ManualLine)};
    default:
        return {};
    }
}

IntWizard::NextOutcome IntWizard::Next()
{
    if (!m_open)
        return NextOutcome::Refused;
    const Page from = m_page;
    Page to = from;
    switch (from) {
    case InitialTab:
        to = AddWhatTab;
        break;
    case AddWhatTab:
        switch (m_choice) {
        case ChooseMutator:
            to = AddMutatorTab;
            break;
        case ChooseModMenuItem:
            to = AddModMenuTab;
            break;
        case ChooseGametype:
            to = AddGametypeTab;
            break;
        case ChooseMapList:
            to = AddMapListTab;
            break;
        case ChooseManualLine:
            to = AddManualLineTab;
            break;
        case ChooseOpenInEditor:
            // Nothing else happens: no back link, nothing written.
            m_open = false;
            if (m_openInEditor)
                m_openInEditor(IntPath());
            return NextOutcome::OpenedEditor;
        case ChooseNothing:
        case NoChoice:
            to = SummaryTab;
            break;
        }
        break;
    case AddMutatorTab:
    case AddModMenuTab:
    case AddGametypeTab:
    case AddMapListTab:
    case AddManualLineTab:
        for (const QString &line : PageLines(from))
            AddSummaryLine(line);
        to = SummaryTab;
        break;
    case SummaryTab:
        to = m_addSomethingElse ? AddWhatTab : CreateTab;
        break;
    case CreateTab:
        // Finish reloads the package: not while another operation holds the model.
        if (m_model.RefuseWhileBusy())
            return NextOutcome::Refused;
        WriteIntFile();
        return NextOutcome::Written;
    }
    EnterPage(to);
    if (to == CreateTab)
        m_nextCaption = QStringLiteral("&Finish");
    m_backLinks[size_t(to)] = from;
    m_backEnabled = true;
    return NextOutcome::Moved;
}

void IntWizard::Back()
{
    if (!m_open || !m_backEnabled)
        return;
    int target = m_backLinks[size_t(m_page)];
    if (target < 0 || target >= PageCount)
        target = InitialTab;
    EnterPage(Page(target));
    m_nextCaption = QStringLiteral("&Next ->");
    if (target == InitialTab)
        m_backEnabled = false;
}

void IntWizard::WriteIntFile()
{
    IntFile::Write(IntPath(), m_final);
    // Reloading ticks nothing: a package the user had not loaded stays unloaded.
    const int row = m_model.Packages().IndexOf(m_package);
    if (row >= 0 && m_model.Packages().MarkAt(row) == PackageList::Mark::Checked) {
        ClassModel::BusyScope busy(m_model, QStringLiteral("loading ") + m_package);
        PackageLoader(m_model).LoadPackage(m_package, true);
    }
    m_open = false;
}

QStringList IntWizard::SummaryFor(ClassModel &model, const QString &package)
{
    IntWizard wizard(model);
    QStringList lines;
    if (!wizard.Show(package))
        return lines;
    for (const SummaryLine &line : wizard.Summary())
        lines.append(line.text);
    return lines;
}

void IntWizard::WriteWithManualLines(ClassModel &model, const QString &package,
                                     const QStringList &lines)
{
    IntWizard wizard(model);
    if (!wizard.Show(package))
        return;
    wizard.Next();   // to the choice page
    for (const QString &line : lines) {
        wizard.Select(ChooseManualLine);
        wizard.Next();
        wizard.SetFieldText(ManualLine, line);
        wizard.Next();   // adds the line, to the summary
        wizard.SetAddSomethingElse(true);
        wizard.Next();   // back to the choice page
    }
    wizard.Select(ChooseNothing);
    wizard.Next();       // summary
    wizard.Next();       // final page
    if (wizard.Next() == NextOutcome::Refused)
        throw KelvarinError(model.BusyRefusal());
}

QStringList IntWizard::ReadUtf8Lines(const QString &nativePath)
{
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly))
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(nativePath));
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || file.error() != QFileDevice::NoError)
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(nativePath));
    return TextFile::SplitLines(text);
}

} // namespace kelvarin
