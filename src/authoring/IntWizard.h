#pragma once

#include "model/TextRules.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

namespace kelvarin {

class ClassModel;

// The INT file wizard without its window: the pages as a state machine, the
// proposals each page makes when it becomes active (through Back too), the
// lines the data pages add, the summary check list, the final list, and
// Finish, which writes "[Public]" and the checked lines into the package's
// localisation file and keeps the file's other sections after them.
class IntWizard
{
public:
    // The pages in their fixed order; the values are the back-link indices.
    enum Page {
        InitialTab = 0,
        AddWhatTab = 1,
        AddMutatorTab = 2,
        SummaryTab = 3,
        CreateTab = 4,
        AddModMenuTab = 5,
        AddGametypeTab = 6,
        AddMapListTab = 7,
        AddManualLineTab = 8
    };
    static constexpr int PageCount = 9;

    // The items of " What do you want to add? ", in order.
    enum Choice {
        NoChoice = -1,
        ChooseMutator = 0,
        ChooseModMenuItem,
        ChooseGametype,
        ChooseMapList,
        ChooseManualLine,
        ChooseNothing,
        ChooseOpenInEditor
    };
    static QStringList ChoiceItems();

    // The data pages' fields.
    enum Field {
        MutatorName,
        MutatorClass,
        MutatorHelp,
        ModMenuClass,
        GameTypeDescription,
        GameTypeClass,
        MapListDescription,
        MapListClass,
        ManualLine,
        FieldCount
    };

    struct SummaryLine
    {
        QString text;
        bool checked = true;
        SortKey key;
    };

    enum class NextOutcome {
        Moved,          // another page is active
        OpenedEditor,   // closed; the editor handler got the file's path
        Written,        // Finish wrote the file and closed the wizard
        Refused         // Finish while another model operation runs: nothing done
    };

    explicit IntWizard(ClassModel &model);

    // "Open it in my text editor" hands the file's path to this.
    void SetOpenInEditorHandler(std::function<void(const QString &specPath)> handler)
    {
        m_openInEditor = std::move(handler);
    }

    // FormShow for a package: everything starts afresh (also when the wizard
    // is open for another package). An empty package name closes it without
    // a word (false). The summary is read from the file; raises KelvarinError
    // "Cannot open file %s" (the wizard then stays closed) for a file that
    // cannot be read, and for a package name that is not one path component.
    bool Show(const QString &package);
    void Close() { m_open = false; }
    bool IsOpen() const { return m_open; }

    const QString &Package() const { return m_package; }
    // base directory + "\System\" + package + ".int"
    QString IntPath() const;
    // "New INT file" until the first showing, then "INT file for " + package.
    const QString &Caption() const { return m_caption; }

    Page ActivePage() const { return m_page; }
    bool BackEnabled() const { return m_backEnabled; }
    // "&Next ->" or "&Finish".
    const QString &NextCaption() const { return m_nextCaption; }
    int BackLink(Page page) const { return m_backLinks[size_t(page)]; }

    Choice Selected() const { return m_choice; }
    void Select(Choice choice) { m_choice = choice; }
    const QString &FieldText(Field field) const { return m_fields[size_t(field)]; }
    void SetFieldText(Field field, const QString &text) { m_fields[size_t(field)] = text; }
    bool AddSomethingElse() const { return m_addSomethingElse; }
    void SetAddSomethingElse(bool on) { m_addSomethingElse = on; }

    // SummaryList: sorted without regard to case, duplicates after their equals.
    const std::vector<SummaryLine> &Summary() const { return m_summary; }
    void SetChecked(int row, bool checked);
    // CreateSummaryList: "[Public]" and the checked summary lines.
    const QStringList &FinalList() const { return m_final; }

    // NextButtonClick. Finish raises KelvarinError when the file cannot be
    // written; the wizard then stays open on its final page, the package
    // not reloaded.
    NextOutcome Next();
    // BackButtonClick.
    void Back();

    // The lines a data page adds, from the current fields (empty for other pages).
    QStringList PageLines(Page page) const;

    // ---- For scripts -----------------------------------------------------
    // The summary as showing the wizard for package builds it, in list order.
    static QStringList SummaryFor(ClassModel &model, const QString &package);
    // The wizard from its showing to Finish, with each of lines added as a
    // manual line (checked; the existing lines stay checked).
    static void WriteWithManualLines(ClassModel &model, const QString &package,
                                     const QStringList &lines);
    // The lines of a UTF-8 text file (a byte-order mark is dropped), for
    // WriteWithManualLines. Raises KelvarinError "Cannot open file %s" when it
    // cannot be read or is not UTF-8.
    static QStringList ReadUtf8Lines(const QString &nativePath);

private:
    void EnterPage(Page page);
    void AddSummaryLine(const QString &text);
    void WriteIntFile();

    ClassModel &m_model;
    std::function<void(const QString &)> m_openInEditor;
    bool m_open = false;
    QString m_package;
    QString m_caption = QStringLiteral("New INT file");
    Page m_page = InitialTab;
    bool m_backEnabled = false;
    QString m_nextCaption = QStringLiteral("&Next ->");
    std::array<int, PageCount> m_backLinks{};
    Choice m_choice = NoChoice;
    std::array<QString, FieldCount> m_fields;
    bool m_addSomethingElse = false;
    std::vector<SummaryLine> m_summary;
    QStringList m_final;
};

} // namespace kelvarin
