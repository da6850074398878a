// The .reg store: every value the reader finds is stored again, in the same
// store (nothing else in it may change) and in a new one, and must read back
// as it was read, also by a program that reads the file anew.
#include "FuzzSupport.h"

#include "platform/RegFileRegistry.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <optional>

using namespace kelvarin;

namespace {

struct Where
{
    RegRoot root;
    QString path;
    QString name;
};

// The places of values the text seems to hold, for asking the store: below
// each key line of a root the store knows, the lines that start with a value
// name as the file writes it (@, or a quoted text with \\ and \" escapes).
QList<Where> Candidates(const QByteArray &bytes)
{
    static const QRegularExpression keyLine(QStringLiteral(R"(^\[([^\\]*)\\?(.*)\]$)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression nameLine(QStringLiteral(R"re(^[ \t]*(?:@|"((?:\\[\\"]|[^"\\]|\\)*+)"))re"));
    static const QRegularExpression escape(QStringLiteral(R"(\\([\\"]))"));
    const QString text = bytes.startsWith("\xff\xfe") ? QStringDecoder(QStringConverter::Utf16LE)(bytes.mid(2))
                                                       : QString::fromUtf8(bytes);
    QList<Where> found;
    std::optional<RegRoot> root;
    QString path;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (const QRegularExpressionMatch key = keyLine.match(line.trimmed()); key.hasMatch()) {
            path = key.captured(2);
            root.reset();
            if (key.captured(1).compare(QLatin1String("HKEY_LOCAL_MACHINE"), Qt::CaseInsensitive) == 0)
                root = RegRoot::LocalMachine;
            else if (key.captured(1).compare(QLatin1String("HKEY_CLASSES_ROOT"), Qt::CaseInsensitive) == 0)
                root = RegRoot::ClassesRoot;
        } else if (const QRegularExpressionMatch name = nameLine.match(line); root && name.hasMatch()) {
            found.append(Where{*root, path, name.captured(1).replace(escape, QStringLiteral("\\1"))});
        }
        if (found.size() >= 64)
            break;
    }
    return found;
}

bool Same(const std::optional<RegValue> &a, const std::optional<RegValue> &b)
{
    if (!a || !b)
        return !a && !b;
    if (a->type != b->type)
        return false;
    if (a->type == RegValue::Type::String)
        return a->text == b->text;
    if (a->type == RegValue::Type::Dword)
        return a->dword == b->dword;
    return true;
}

QString Show(const Where &where)
{
    return where.path + QLatin1String(" / ") + where.name;
}

bool Store(Registry &registry, const Where &where, const RegValue &value)
{
    if (value.type == RegValue::Type::String)
        return registry.SetString(where.root, where.path, where.name, value.text);
    return registry.SetDword(where.root, where.path, where.name, value.dword);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    const fuzz::Scratch &scratch = fuzz::ScratchWith(QStringLiteral("Kelvarin/registry.reg"), bytes);

    RegFileRegistry store(scratch.Native(QStringLiteral("Kelvarin/registry.reg")));
    const QList<Where> places = Candidates(bytes);
    QList<std::optional<RegValue>> values;
    for (const Where &where : places) {
        values.append(store.Value(where.root, where.path, where.name));
        if (values.last())
            fuzz::Check(store.OpenKey(where.root, where.path, false), "a key with a value does not open");
    }

    RegFileRegistry fresh(scratch.Native(QStringLiteral("Fresh/registry.reg")));
    for (qsizetype i = 0; i < places.size(); ++i) {
        const std::optional<RegValue> &value = values[i];
        if (!value || value->type == RegValue::Type::Other)
            continue;
        fuzz::Check(Store(store, places[i], *value), "a value read cannot be stored again");
        fuzz::Check(Store(fresh, places[i], *value), "a value read cannot be stored in a new store");
        fuzz::Check(store.KeptDamagedFile().isEmpty(), "a store that read well was set aside as damaged");
    }
    // A store object keeps what it wrote; these read the files anew.
    RegFileRegistry storeAgain(scratch.Native(QStringLiteral("Kelvarin/registry.reg")));
    RegFileRegistry freshAgain(scratch.Native(QStringLiteral("Fresh/registry.reg")));
    for (qsizetype i = 0; i < places.size(); ++i) {
        const std::optional<RegValue> again = storeAgain.Value(places[i].root, places[i].path, places[i].name);
        fuzz::Check(Same(again, values[i]), "storing values again changed one", Show(places[i]));
        if (!values[i] || values[i]->type == RegValue::Type::Other)
            continue;
        const std::optional<RegValue> copied = freshAgain.Value(places[i].root, places[i].path, places[i].name);
        fuzz::Check(Same(copied, values[i]), "a value stored in a new store reads back otherwise", Show(places[i]));
    }
    return 0;
}
