#include "platform/RegFileRegistry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

#include <functional>

namespace kelvarin {

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");

QString RootName(RegRoot root)
{
    return root == RegRoot::ClassesRoot ? QStringLiteral("HKEY_CLASSES_ROOT")
                                        : QStringLiteral("HKEY_LOCAL_MACHINE");
}

bool SameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// "\Software\\Vexa\" -> "Software\Vexa": empty components carry no meaning.
QString NormalizeKeyPath(const QString &path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

QString FullKeyName(RegRoot root, const QString &path)
{
    const QString relative = NormalizeKeyPath(path);
    return relative.isEmpty() ? RootName(root) : RootName(root) + QLatin1Char('\\') + relative;
}

QString Escape(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// Reads a double-quoted text starting at line[pos] ('"'); on success pos is
// just past the closing quote. Only \\ and \" are escapes; a backslash before
// anything else stands for itself.
bool ReadQuoted(const QString &line, qsizetype &pos, QString &out)
{
    if (pos >= line.size() || line[pos] != QLatin1Char('"'))
        return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        const QChar c = line[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        }
        if (c == QLatin1Char('\\') && pos + 1 < line.size()
            && (line[pos + 1] == QLatin1Char('\\') || line[pos + 1] == QLatin1Char('"'))) {
            out += line[pos + 1];
            pos += 2;
            continue;
        }
        out += c;
        ++pos;
    }
    return false; // no closing quote
}

void SkipBlanks(const QString &line, qsizetype &pos)
{
    while (pos < line.size() && (line[pos] == QLatin1Char(' ') || line[pos] == QLatin1Char('\t')))
        ++pos;
}

bool EndsWithContinuation(const QString &line)
{
    QString t = line;
    while (!t.isEmpty() && t.back().isSpace())
        t.chop(1);
    return t.endsWith(QLatin1Char('\\'));
}

// The bytes of a "hex...:" value, its continuation lines included.
std::optional<QByteArray> HexBytes(const QString &data)
{
    QString digits;
    for (QChar c : data) {
        if (c != QLatin1Char('\\') && !c.isSpace())
            digits += c;
    }
    QByteArray bytes;
    if (digits.isEmpty())
        return bytes;
    for (const QString &part : digits.split(QLatin1Char(','))) {
        bool ok = false;
        const uint b = part.toUInt(&ok, 16);
        if (!ok || part.size() > 2 || b > 0xff)
            return std::nullopt;
        bytes.append(char(b));
    }
    return bytes;
}

// Text that cannot stand on one line of the file is stored as REG_SZ bytes
// (hex(1), UTF-16LE with its terminator), which the format allows for any
// string value.
QStringList HexStringLines(const QString &prefix, const QString &text)
{
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    bytes.append(2, '\0');
    QStringList lines;
    QString current = prefix + QStringLiteral("hex(1):");
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        current += QStringLiteral("%1").arg(uchar(bytes[i]), 2, 16, QLatin1Char('0'));
        if (i + 1 < bytes.size()) {
            current += QLatin1Char(',');
            if (current.size() >= 76) {
                lines << current + QLatin1Char('\\');
                current = QStringLiteral("  ");
            }
        }
    }
    lines << current;
    return lines;
}

bool NeedsHexForm(const QString &text)
{
    for (QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.unicode() == 0)
            return true;
    }
    return false;
}

} // namespace

// The store as read from the file.
struct RegFileRegistry::Impl
{
    enum class State { Missing, Ok, Damaged, Unreadable };

    struct Line
    {
        bool comment = false;
        QString name;         // "" = the key's default value
        RegValue value;
        QStringList raw;      // as read; empty for a line written by us
    };
    struct Section
    {
        QString name;         // root name and path, as first written
        QList<Line> lines;
    };

    State state = State::Missing;
    QStringList preamble;     // comments before the first key
    QList<Section> sections;

    static Impl Read(const QString &path);
    bool Write(const QString &path) const;

    Section *FindSection(const QString &fullName)
    {
        for (Section &s : sections) {
            if (SameName(s.name, fullName))
                return &s;
        }
        return nullptr;
    }

    // A key exists when it has its own section or any key below it does.
    bool KeyExists(const QString &fullName) const
    {
        if (!fullName.contains(QLatin1Char('\\')))
            return true; // a root key
        const QString prefix = fullName + QLatin1Char('\\');
        for (const Section &s : sections) {
            if (SameName(s.name, fullName) || s.name.startsWith(prefix, Qt::CaseInsensitive))
                return true;
        }
        return false;
    }

    // Adds a section for the key and for each of its missing parents below
    // the root (a root key gets a section only when it is given values).
    Section &CreateKey(const QString &fullName)
    {
        const QStringList parts = fullName.split(QLatin1Char('\\'));
        QString name = parts.first();
        for (qsizetype i = 1; i < parts.size(); ++i) {
            name += QLatin1Char('\\') + parts[i];
            if (!FindSection(name))
                sections.append(Section{name, {}});
        }
        if (Section *s = FindSection(fullName))
            return *s;
        sections.append(Section{fullName, {}});
        return sections.last();
    }

    static bool ParseValueLine(const QString &line, Line &out, bool &continues);
    static QStringList Format(const Line &line);

    static bool Change(const QString &path, QString &keptDamaged,
                       const std::function<bool(Impl &)> &change);
    static bool StoreValue(const QString &filePath, QString &keptDamaged, RegRoot root,
                           const QString &keyPath, const QString &name, const RegValue &value);
};

bool RegFileRegistry::Impl::ParseValueLine(const QString &line, Line &out, bool &continues)
{
    continues = false;
    qsizetype pos = 0;
    SkipBlanks(line, pos);
    if (pos < line.size() && line[pos] == QLatin1Char('@')) {
        out.name.clear();
        ++pos;
    } else if (!ReadQuoted(line, pos, out.name)) {
        return false;
    }
    SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != QLatin1Char('='))
        return false;
    ++pos;
    SkipBlanks(line, pos);
    const QString data = line.mid(pos);

    if (data.startsWith(QLatin1Char('"'))) {
        qsizetype p = 0;
        QString text;
        if (!ReadQuoted(data, p, text) || !data.mid(p).trimmed().isEmpty())
            return false;
        out.value = RegValue{RegValue::Type::String, text, 0};
        return true;
    }
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString digits = data.mid(6).trimmed();
        bool ok = false;
        const uint v = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(QLatin1Char('+'))
            || digits.startsWith(QLatin1Char('-')))
            return false;
        out.value = RegValue{RegValue::Type::Dword, {}, quint32(v)};
        return true;
    }
    if (data.trimmed() == QLatin1String("-")) {
        out.value = RegValue{RegValue::Type::Other, {}, 0};
        return true;
    }
    // hex:... and hex(N):... : kept as read, possibly over several lines.
    static const QRegularExpression hexType(QStringLiteral("^hex(\\([0-9a-fA-F]+\\))?:"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (hexType.match(data).hasMatch()) {
        out.value = RegValue{RegValue::Type::Other, {}, 0};
        continues = EndsWithContinuation(data);
        return true;
    }
    return false;
}

QStringList RegFileRegistry::Impl::Format(const Line &line)
{
    if (!line.raw.isEmpty())
        return line.raw;
    const QString prefix = (line.name.isEmpty() ? QStringLiteral("@")
                                                : QLatin1Char('"') + Escape(line.name) + QLatin1Char('"'))
                           + QLatin1Char('=');
    if (line.value.type == RegValue::Type::Dword)
        return {prefix + QStringLiteral("dword:%1").arg(line.value.dword, 8, 16, QLatin1Char('0'))};
    if (NeedsHexForm(line.value.text))
        return HexStringLines(prefix, line.value.text);
    return {prefix + QLatin1Char('"') + Escape(line.value.text) + QLatin1Char('"')};
}

RegFileRegistry::Impl RegFileRegistry::Impl::Read(const QString &path)
{
    Impl store;
    QFile file(path);
    if (!file.exists())
        return store;
    if (!file.open(QIODevice::ReadOnly)) {
        store.state = State::Unreadable;
        return store;
    }
    const QByteArray bytes = file.readAll();
    file.close();

    QString text;
    if (bytes.startsWith("\xff\xfe")) {
        QStringDecoder decode(QStringConverter::Utf16LE);
        text = decode(bytes.mid(2));
        if (decode.hasError())
            store.state = State::Damaged;
    } else {
        QStringDecoder decode(QStringConverter::Utf8);
        text = decode(bytes.startsWith("\xef\xbb\xbf") ? bytes.mid(3) : bytes);
        if (decode.hasError())
            store.state = State::Damaged;
    }
    if (store.state == State::Damaged)
        return store;

    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &l : lines) {
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    }
    if (text.trimmed().isEmpty()) {
        store.state = State::Ok; // nothing there to lose
        return store;
    }
    store.state = State::Damaged;
    if (lines.first().trimmed() != kHeader)
        return store;

    Section *current = nullptr;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &l = lines[i];
        const QString t = l.trimmed();
        if (t.isEmpty())
            continue;
        if (t.startsWith(QLatin1Char(';'))) {
            Line comment;
            comment.comment = true;
            comment.raw << l;
            if (current)
                current->lines.append(comment);
            else
                store.preamble << l;
            continue;
        }
        if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            const QString name = NormalizeKeyPath(t.mid(1, t.size() - 2));
            if (name.isEmpty())
                return store;
            current = store.FindSection(name);
            if (!current) {
                store.sections.append(Section{name, {}});
                current = &store.sections.last();
            }
            continue;
        }
        Line value;
        bool continues = false;
        if (!current || !ParseValueLine(l, value, continues))
            return store;
        value.raw << l;
        while (continues && i + 1 < lines.size()) {
            value.raw << lines[++i];
            continues = EndsWithContinuation(lines[i]);
        }
        // REG_SZ written as bytes reads as the text it holds.
        static const QString hexString = QStringLiteral("hex(1):");
        const QString first = value.raw.first();
        const qsizetype at = first.indexOf(QLatin1Char('='));
        const QString data = (QStringList{first.mid(at + 1).trimmed()} + value.raw.mid(1)).join(QString());
        if (value.value.type == RegValue::Type::Other && data.startsWith(hexString, Qt::CaseInsensitive)) {
            const auto raw = HexBytes(data.mid(hexString.size()));
            if (raw && raw->size() % 2 == 0) {
                QString decoded;
                for (qsizetype b = 0; b + 1 < raw->size(); b += 2)
                    decoded += QChar(ushort(uchar((*raw)[b]) | (uchar((*raw)[b + 1]) << 8)));
                if (decoded.endsWith(QChar(0)))
                    decoded.chop(1);
                value.value = RegValue{RegValue::Type::String, decoded, 0};
            }
        }
        // A name given twice in one key: the later line wins, in the earlier place.
        bool replaced = false;
        for (Line &existing : current->lines) {
            if (!existing.comment && SameName(existing.name, value.name)) {
                existing.value = value.value;
                existing.raw = value.raw;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            current->lines.append(value);
    }
    store.state = State::Ok;
    return store;
}

bool RegFileRegistry::Impl::Write(const QString &path) const
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QStringList out{kHeader};
    out += preamble;
    for (const Section &s : sections) {
        out << QString() << QLatin1Char('[') + s.name + QLatin1Char(']');
        for (const Line &l : s.lines)
            out += Format(l);
    }
    out << QString();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = out.join(QLatin1Char('\n')).toUtf8();
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

RegFileRegistry::RegFileRegistry(const QString &nativePath)
    : m_path(nativePath)
{
}

QString RegFileRegistry::DefaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Kelvarin/registry.reg");
}

namespace {

// Moves a damaged store out of the way, never over another file.
QString KeepAside(const QString &path)
{
    const QString stem = path + QStringLiteral(".damaged-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = stem;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = stem + QLatin1Char('-') + QString::number(n);
    return QFile::rename(path, target) ? target : QString();
}

} // namespace

// Reads the store, lets change() alter it and writes it back when change()
// says it altered something. A damaged file is set aside first; a file that
// cannot be read is never written over.
bool RegFileRegistry::Impl::Change(const QString &path, QString &keptDamaged,
                                   const std::function<bool(Impl &)> &change)
{
    Impl store = Impl::Read(path);
    if (store.state == Impl::State::Unreadable)
        return false;
    const bool damaged = store.state == Impl::State::Damaged;
    if (damaged)
        store = Impl{};
    if (!change(store))
        return true;
    if (damaged) {
        const QString kept = KeepAside(path);
        if (kept.isEmpty())
            return false;
        keptDamaged = kept;
    }
    return store.Write(path);
}

bool RegFileRegistry::OpenKey(RegRoot root, const QString &path, bool create)
{
    const QString name = FullKeyName(root, path);
    if (!create) {
        Impl store = Impl::Read(m_path);
        return (store.state == Impl::State::Ok || store.state == Impl::State::Missing)
               && store.KeyExists(name);
    }
    return Impl::Change(m_path, m_keptDamaged, [&](Impl &store) {
        if (store.KeyExists(name))
            return false;
        store.CreateKey(name);
        return true;
    });
}

std::optional<RegValue> RegFileRegistry::Value(RegRoot root, const QString &path,
                                               const QString &name)
{
    Impl store = Impl::Read(m_path);
    if (store.state != Impl::State::Ok)
        return std::nullopt;
    const Impl::Section *section = store.FindSection(FullKeyName(root, path));
    if (!section)
        return std::nullopt;
    for (const Impl::Line &l : section->lines) {
        if (!l.comment && SameName(l.name, name))
            return l.value;
    }
    return std::nullopt;
}

bool RegFileRegistry::Impl::StoreValue(const QString &filePath, QString &keptDamaged, RegRoot root,
                                       const QString &keyPath, const QString &name,
                                       const RegValue &value)
{
    const QString key = FullKeyName(root, keyPath);
    return Change(filePath, keptDamaged, [&](Impl &store) {
        Section *section = store.FindSection(key);
        if (!section)
            section = &store.CreateKey(key);
        for (Line &l : section->lines) {
            if (!l.comment && SameName(l.name, name)) {
                l.value = value;
                l.raw.clear();
                return true;
            }
        }
        Line line;
        line.name = name;
        line.value = value;
        section->lines.append(line);
        return true;
    });
}

bool RegFileRegistry::SetString(RegRoot root, const QString &path, const QString &name,
                                const QString &value)
{
    return Impl::StoreValue(m_path, m_keptDamaged, root, path, name,
                      RegValue{RegValue::Type::String, value, 0});
}

bool RegFileRegistry::SetDword(RegRoot root, const QString &path, const QString &name,
                               quint32 value)
{
    return Impl::StoreValue(m_path, m_keptDamaged, root, path, name,
                      RegValue{RegValue::Type::Dword, {}, value});
}

} // namespace kelvarin
