#include "platform/RegFileRegistry.h"

#include "platform/StagedFile.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QThread>

namespace kelvarin {

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");

QString RootName(RegRoot root)
{
    return root == RegRoot::ClassesRoot ? QStringLiteral("HKEY_CLASSES_ROOT")
                                        : QStringLiteral("HKEY_LOCAL_MACHINE");
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

bool HasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

bool NeedsHexForm(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.unicode() == 0)
            return true;
        // A lone surrogate has no UTF-8 form: only the bytes keep it.
        if (c.isHighSurrogate()) {
            if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())
                return true;
            ++i;
        } else if (c.isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

// The form in which key and value names are compared: each character case
// folded, as QString::compare ignoring case does.
QString Folded(const QString &name)
{
    return name.toCaseFolded();
}

// A writer waits this long for another to finish before it writes anyway.
// The lock of a writer that died is taken over at once; an older lock than
// the stale time too, unless a live process still holds it.
constexpr int kLockWaitMs = 2000;
constexpr int kLockStaleMs = 10000;
constexpr int kLockRetryMs = 5;
// A file read within this time of its last change may change again without
// its size or times showing it (they are kept in coarse steps): its bytes are
// compared before the parsed store is trusted.
constexpr qint64 kRecentMs = 3000;

// What the file system says about the file, enough to tell that it changed.
struct FileStamp
{
    bool exists = false;
    bool regular = false;
    qint64 size = -1;
    qint64 modified = 0;   // ms since the epoch
    qint64 changed = 0;    // the inode's change time: moves with a rename into place

    bool operator==(const FileStamp &) const = default;

    static FileStamp Of(const QString &path)
    {
        const QFileInfo info(path);
        FileStamp stamp;
        stamp.exists = info.exists();
        if (!stamp.exists)
            return stamp;
        stamp.regular = info.isFile();
        stamp.size = info.size();
        stamp.modified = info.lastModified().toMSecsSinceEpoch();
        stamp.changed = info.metadataChangeTime().toMSecsSinceEpoch();
        return stamp;
    }
};

// The whole file; nullopt when it cannot be read. Only regular files are
// opened: a directory cannot be read, and a pipe or device might never end.
std::optional<QByteArray> ReadBytes(const QString &path, const FileStamp &stamp)
{
    if (!stamp.regular)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

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

// The store as read from the file.
struct RegFileRegistry::Impl
{
    enum class State { Missing, Ok, Damaged, Unreadable };
    enum class Charset { Utf8, Utf16LE, Utf16BE };

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
        QHash<QString, qsizetype> valueAt;   // folded value name -> its line

        const Line *FindValue(const QString &valueName) const
        {
            const qsizetype at = valueAt.value(Folded(valueName), -1);
            return at < 0 ? nullptr : &lines.at(at);
        }

        // A name given again takes the earlier one's place.
        void SetValue(const Line &line)
        {
            const QString key = Folded(line.name);
            const qsizetype at = valueAt.value(key, -1);
            if (at >= 0) {
                lines[at].value = line.value;
                lines[at].raw = line.raw;
                return;
            }
            valueAt.insert(key, lines.size());
            lines.append(line);
        }
    };

    State state = State::Missing;
    // The file's encoding, kept when it is written again.
    Charset charset = Charset::Utf8;
    bool mark = false;
    bool crlf = false;
    QStringList preamble;     // comments before the first key
    QList<Section> sections;
    QHash<QString, qsizetype> sectionAt;   // folded key name -> its section
    QSet<QString> keys;       // folded names of every section's key and of its parents

    static Impl Parse(const QByteArray &bytes);
    QByteArray Serialize() const;

    Section *FindSection(const QString &fullName)
    {
        const qsizetype at = sectionAt.value(Folded(fullName), -1);
        return at < 0 ? nullptr : &sections[at];
    }
    const Section *FindSection(const QString &fullName) const
    {
        const qsizetype at = sectionAt.value(Folded(fullName), -1);
        return at < 0 ? nullptr : &sections.at(at);
    }

    Section &AddSection(const QString &fullName)
    {
        sectionAt.insert(Folded(fullName), sections.size());
        for (qsizetype at = fullName.indexOf(QLatin1Char('\\')); at >= 0;
             at = fullName.indexOf(QLatin1Char('\\'), at + 1))
            keys.insert(Folded(fullName.left(at)));
        keys.insert(Folded(fullName));
        sections.append(Section{fullName, {}, {}});
        return sections.last();
    }

    // A key exists when it has its own section or any key below it does.
    bool KeyExists(const QString &fullName) const
    {
        if (!fullName.contains(QLatin1Char('\\')))
            return true; // a root key
        return keys.contains(Folded(fullName));
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
                AddSection(name);
        }
        if (Section *s = FindSection(fullName))
            return *s;
        return AddSection(fullName);
    }

    // dataAt: where the data starts, after the name and its "=".
    static bool ParseValueLine(const QString &line, Line &out, bool &continues, qsizetype *dataAt = nullptr);
    static QStringList Format(const Line &line);
};

// The parsed file and what it was read from.
struct RegFileRegistry::Cache
{
    FileStamp stamp;
    qint64 readAt = 0;   // ms since the epoch
    QByteArray bytes;
    Impl store;

    bool ChangedRecently() const
    {
        return stamp.exists && (readAt - stamp.modified < kRecentMs || readAt - stamp.changed < kRecentMs);
    }
};

bool RegFileRegistry::Impl::ParseValueLine(const QString &line, Line &out, bool &continues, qsizetype *dataAt)
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
    if (dataAt)
        *dataAt = pos;
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

RegFileRegistry::Impl RegFileRegistry::Impl::Parse(const QByteArray &bytes)
{
    Impl store;
    QByteArrayView body(bytes);
    if (bytes.startsWith("\xff\xfe")) {
        store.charset = Charset::Utf16LE;
        store.mark = true;
        body = body.sliced(2);
    } else if (bytes.startsWith("\xfe\xff")) {
        store.charset = Charset::Utf16BE;
        store.mark = true;
        body = body.sliced(2);
    } else if (bytes.startsWith("\xef\xbb\xbf")) {
        store.mark = true;
        body = body.sliced(3);
    }
    const auto encoding = store.charset == Charset::Utf16LE   ? QStringConverter::Utf16LE
                          : store.charset == Charset::Utf16BE ? QStringConverter::Utf16BE
                                                              : QStringConverter::Utf8;
    // A second mark is not dropped: it makes the header unrecognisable.
    QStringDecoder decode(encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = decode(body);
    if (decode.hasError() || (store.charset != Charset::Utf8 && body.size() % 2 != 0)) {
        store.state = State::Damaged;
        return store;
    }

    QStringList lines = text.split(QLatin1Char('\n'));
    store.crlf = lines.first().endsWith(QLatin1Char('\r'));
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
            if (!current)
                current = &store.AddSection(name);
            continue;
        }
        Line value;
        bool continues = false;
        qsizetype dataAt = 0;
        if (!current || !ParseValueLine(l, value, continues, &dataAt))
            return store;
        value.raw << l;
        while (continues && i + 1 < lines.size()) {
            value.raw << lines[++i];
            continues = EndsWithContinuation(lines[i]);
        }
        // REG_SZ written as bytes reads as the text it holds.
        static const QString hexString = QStringLiteral("hex(1):");
        const QString data = (QStringList{value.raw.first().mid(dataAt).trimmed()} + value.raw.mid(1)).join(QString());
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
        current->SetValue(value);
    }
    store.state = State::Ok;
    return store;
}

QByteArray RegFileRegistry::Impl::Serialize() const
{
    QStringList out{kHeader};
    out += preamble;
    for (const Section &s : sections) {
        out << QString() << QLatin1Char('[') + s.name + QLatin1Char(']');
        for (const Line &l : s.lines)
            out += Format(l);
    }
    out << QString();
    const QString text = out.join(crlf ? QStringLiteral("\r\n") : QStringLiteral("\n"));
    // A key or value name holding a lone surrogate has no UTF-8 form (and
    // names have no hex form): such a store is written as UTF-16, as the
    // registry editor writes its files.
    const bool utf8Loses = charset == Charset::Utf8 && HasLoneSurrogate(text);
    const Charset written = utf8Loses ? Charset::Utf16LE : charset;
    switch (written) {
    case Charset::Utf8:
        return (mark ? QByteArray("\xef\xbb\xbf") : QByteArray()) + text.toUtf8();
    case Charset::Utf16LE:
    case Charset::Utf16BE: {
        const bool little = written == Charset::Utf16LE;
        QByteArray bytes;
        bytes.reserve(2 + 2 * text.size());
        if (mark || utf8Loses)
            bytes.append(little ? "\xff\xfe" : "\xfe\xff", 2);
        for (QChar c : text) {
            const char lo = char(c.unicode() & 0xff);
            const char hi = char(c.unicode() >> 8);
            bytes.append(little ? lo : hi);
            bytes.append(little ? hi : lo);
        }
        return bytes;
    }
    }
    return text.toUtf8();
}

RegFileRegistry::RegFileRegistry(const QString &nativePath)
    : m_path(nativePath)
{
}

RegFileRegistry::~RegFileRegistry() = default;

bool RegFileRegistry::StoreExists()
{
    const QFileInfo info(m_path);
    return info.exists() || info.isSymLink();
}

QString RegFileRegistry::DefaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Kelvarin/registry.reg");
}

const RegFileRegistry::Impl &RegFileRegistry::Current()
{
    const FileStamp stamp = FileStamp::Of(m_path);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const bool sameStamp = m_cache && m_cache->stamp == stamp;
    if (sameStamp && !m_cache->ChangedRecently())
        return m_cache->store;
    const std::optional<QByteArray> bytes = stamp.exists ? ReadBytes(m_path, stamp) : QByteArray();
    if (sameStamp && bytes && *bytes == m_cache->bytes && m_cache->store.state != Impl::State::Unreadable) {
        m_cache->readAt = now;
        return m_cache->store;
    }
    auto fresh = std::make_unique<Cache>();
    fresh->stamp = stamp;
    fresh->readAt = now;
    if (!bytes) {
        fresh->store.state = Impl::State::Unreadable;
    } else if (stamp.exists) {
        fresh->bytes = *bytes;
        fresh->store = Impl::Parse(*bytes);
    }
    m_cache = std::move(fresh);
    return m_cache->store;
}

// Reads the store, lets change() alter it and writes it back when change()
// says it altered something. A damaged file is set aside first; a file that
// cannot be read is never written over. The current file is read again and
// changed while the lock is held, so that a change another program made
// meanwhile is kept.
void RegFileRegistry::BeginChanges()
{
    ++m_changesDepth;
}

bool RegFileRegistry::EndChanges()
{
    if (m_changesDepth == 0 || --m_changesDepth > 0)
        return true;
    std::vector<std::function<bool(Impl &)>> held;
    held.swap(m_heldChanges);
    if (held.empty())
        return true;
    return Change([held](Impl &store) {
        bool changed = false;
        for (const auto &change : held)
            changed = change(store) || changed;
        return changed;
    });
}

void RegFileRegistry::CancelChanges()
{
    if (m_changesDepth > 0 && --m_changesDepth == 0)
        m_heldChanges.clear();
}

bool RegFileRegistry::Change(const std::function<bool(Impl &)> &change)
{
    if (m_changesDepth > 0) {
        // Held back for EndChanges; a store that cannot be opened, or whose
        // folder cannot be made, refuses them now as it would then.
        if (Current().state == Impl::State::Unreadable || !QDir().mkpath(QFileInfo(m_path).absolutePath()))
            return false;
        m_heldChanges.push_back(change);
        return true;
    }
    {
        const Impl &seen = Current();
        if (seen.state == Impl::State::Unreadable)
            return false;
        Impl probe = seen.state == Impl::State::Damaged ? Impl{} : seen;
        if (!change(probe))
            return true;
    }
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(kLockStaleMs);
    const QDeadlineTimer deadline(kLockWaitMs);
    // A writer that cannot get the lock in time (its owner hangs, or no lock
    // can be made there) writes anyway: the rename still keeps the file whole.
    while (!lock.tryLock(0) && lock.error() == QLockFile::LockFailedError && !deadline.hasExpired())
        QThread::msleep(kLockRetryMs);

    Impl store = Current();
    if (store.state == Impl::State::Unreadable)
        return false;
    const bool damaged = store.state == Impl::State::Damaged;
    if (damaged)
        store = Impl{};
    if (!change(store))
        return true;
    if (damaged) {
        const QString kept = KeepAside(m_path);
        if (kept.isEmpty())
            return false;
        m_keptDamaged = kept;
    }
    const QByteArray bytes = store.Serialize();
    if (!StagedFile::WriteFile(m_path, bytes)) {
        m_cache.reset();
        return false;
    }
    // What was written is what the next read finds, unless another program
    // replaces it first: the stamp is fresh, so its bytes are compared then.
    auto written = std::make_unique<Cache>();
    written->readAt = QDateTime::currentMSecsSinceEpoch();
    written->stamp = FileStamp::Of(m_path);
    written->bytes = bytes;
    written->store = std::move(store);
    written->store.state = Impl::State::Ok;
    m_cache = std::move(written);
    return true;
}

bool RegFileRegistry::OpenKey(RegRoot root, const QString &path, bool create)
{
    const QString name = FullKeyName(root, path);
    if (!create) {
        const Impl &store = Current();
        return (store.state == Impl::State::Ok || store.state == Impl::State::Missing)
               && store.KeyExists(name);
    }
    return Change([name](Impl &store) {
        if (store.KeyExists(name))
            return false;
        store.CreateKey(name);
        return true;
    });
}

std::optional<RegValue> RegFileRegistry::Value(RegRoot root, const QString &path,
                                               const QString &name)
{
    const Impl &store = Current();
    if (store.state != Impl::State::Ok)
        return std::nullopt;
    const Impl::Section *section = store.FindSection(FullKeyName(root, path));
    if (!section)
        return std::nullopt;
    if (const Impl::Line *line = section->FindValue(name))
        return line->value;
    return std::nullopt;
}

bool RegFileRegistry::StoreValue(RegRoot root, const QString &keyPath, const QString &name,
                                 const RegValue &value)
{
    const QString key = FullKeyName(root, keyPath);
    return Change([key, name, value](Impl &store) {
        Impl::Section *section = store.FindSection(key);
        if (!section)
            section = &store.CreateKey(key);
        Impl::Line line;
        line.name = name;
        line.value = value;
        section->SetValue(line);
        return true;
    });
}

bool RegFileRegistry::SetString(RegRoot root, const QString &path, const QString &name,
                                const QString &value)
{
    return StoreValue(root, path, name, RegValue{RegValue::Type::String, value, 0});
}

bool RegFileRegistry::SetDword(RegRoot root, const QString &path, const QString &name,
                               quint32 value)
{
    return StoreValue(root, path, name, RegValue{RegValue::Type::Dword, {}, value});
}

} // namespace kelvarin
