#pragma once

#include "model/ClassModel.h"
#include "model/Options.h"
#include "model/PackageLoader.h"
#include "platform/EventPump.h"
#include "support/GameDir.h"
#include "support/ScriptedPrompter.h"

#include <QStringList>
#include <QTest>

#include <vector>

namespace kelvarin::test {

// A class model on a throw-away game directory, with a pump that does
// nothing, scripted message boxes and a record of every status text.
struct ModelHarness
{
    GameDir game;
    TOptions options;
    NullEventPump pump;
    ScriptedPrompter prompter;
    ClassModel model{options, pump, prompter};
    QStringList statuses;

    ModelHarness()
    {
        options.BaseDir = game.Base();
        model.SetStatusSink([this](const QString &text) { statuses.append(text); });
        model.ResetModel();
    }

    // Writes each "Package/File.uc:declaration" as a class source, lists the
    // package directories anew and loads the given packages in turn.
    void Load(const QStringList &sources, const QStringList &packages = {})
    {
        for (const QString &source : sources)
            game.WriteClass(source.section('/', 0, 0), source.section('/', 1).section(':', 0, 0),
                            source.section(':', 1));
        model.ResetModel();
        PackageLoader loader(model);
        for (const QString &package : packages)
            QVERIFY2(loader.LoadPackage(package, false), qPrintable(package));
    }

    QStringList StatusesStartingWith(const QString &prefix) const
    {
        QStringList found;
        for (const QString &s : statuses)
            if (s.startsWith(prefix))
                found.append(s);
        return found;
    }

    QStringList PackageItems(bool checkedOnly = false)
    {
        QStringList items;
        const PackageList &list = model.Packages();
        for (int row = 0; row < list.Count(); ++row)
            if (!checkedOnly || list.MarkAt(row) == PackageList::Mark::Checked)
                items.append(list.Text(row));
        return items;
    }
};

// A tree as lines in pre-order, each prefixed by one "-" per level.
inline QStringList DumpTree(const Tree &tree)
{
    QStringList lines;
    for (TreeNode *n = tree.First(); n; n = Tree::Next(n))
        lines.append(QString(n->Depth(), QLatin1Char('-')) + n->Text());
    return lines;
}

// Replaces a tree's content with the nodes of lines in the DumpTree form.
inline void BuildTree(Tree &tree, const QStringList &lines)
{
    tree.Clear();
    std::vector<TreeNode *> path;
    for (const QString &line : lines) {
        int depth = 0;
        while (depth < line.size() && line.at(depth) == QLatin1Char('-'))
            ++depth;
        path.resize(size_t(depth));
        path.push_back(tree.Add(depth ? path.back() : nullptr, line.mid(depth)));
    }
}

// The node reached from the first top-level node by a "/"-separated path of
// texts ("Packages/Core/Object"), or null.
inline TreeNode *NodeAtPath(const Tree &tree, const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    TreeNode *node = tree.First();
    if (!node || node->Text() != parts.first())
        return nullptr;
    for (qsizetype i = 1; i < parts.size() && node; ++i) {
        TreeNode *next = nullptr;
        for (int row = 0; row < node->ChildCount() && !next; ++row)
            if (node->Child(row)->Text() == parts.at(i))
                next = node->Child(row);
        node = next;
    }
    return node;
}

} // namespace kelvarin::test
