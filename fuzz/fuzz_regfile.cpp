// The .reg store: every value the reader finds is stored again, in the same
// store (nothing else in it may change) and in a new one, and must read back
// as it was read, also by a program that reads the file anew.
#include "FuzzSupport.h"

#include "platform/RegFileRegistry.h"

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

// A value name as the file writes it: @ or a quoted text with \\ and \" escapes.
std::optional<QString> ValueName(const QString &line)
{
    qsizetype at = 0;
    while (at < line.size() && (line[at] == QLatin1Char(' ') || line[at] == QLatin1Char('\t')))
        ++at;
    if (at < line.size() && line[at] == QLatin1Char('@'))
        return QString();
    if (at >= line.size() || line[at] != QLatin1Char('"'))
        return std::nullopt;
    QString name;
    for (++at; at < line.size(); ++at) {
        if (line[at] == QLatin1Char('"'))
            return name;
        if (line[at] == QLatin1Char('\\') && at + 1 < line.size()
            && (line[at + 1] == QLatin1Char('\\') || line[at + 1] == QLatin1Char('"')))
            ++at;
        name += line[at];
    }
    return std::nullopt;
}

// The places of values the text seems to hold, for asking the store.
QList<Where> Candidates(const QByteArray &bytes)
{
    const QString text = bytes.startsWith("\xff\xfe") ? QStringDecoder(QStringConverter::Utf16LE)(bytes.mid(2))
                                                       : QString::fromUtf8(bytes);
    QList<Where> found;
    std::optional<RegRoot> root;
    QString path;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            const QString key = trimmed.mid(1, trimmed.size() - 2);
            const qsizetype slash = key.indexOf(QLatin1Char('\\'));
            const QString rootName = slash < 0 ? key : key.left(slash);
            path = slash < 0 ? QString() : key.mid(slash + 1);
            root.reset();
            if (rootName.compare(QLatin1String("HKEY_LOCAL_MACHINE"), Qt::CaseInsensitive) == 0)
                root = RegRoot::LocalMachine;
            else if (rootName.compare(QLatin1String("HKEY_CLASSES_ROOT"), Qt::CaseInsensitive) == 0)
                root = RegRoot::ClassesRoot;
        } else if (root) {
            if (const std::optional<QString> name = ValueName(line))
                found.append(Where{*root, path, *name});
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
    fuzz::Scratch &scratch = fuzz::TheScratch();
    scratch.Reset();
    const QByteArray bytes = fuzz::Bytes(data, size);
    scratch.Write(QStringLiteral("Kelvarin/registry.reg"), bytes);

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
