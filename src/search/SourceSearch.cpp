#include "search/SourceSearch.h"

#include "model/TextRules.h"
#include "platform/ReadOnlyFile.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace kelvarin::SourceSearch {

namespace {

// Most sources fit in one block; longer ones are read block by block and
// only the line being looked at is kept.
constexpr qint64 BlockSize = 64 * 1024;

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool HasByteOrderMark(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF)))
        return true;
    return size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
}

QString Context(QString line)
{
    for (QChar &c : line)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return Trim(line);
}

FileMatch Found(int line, const QString &text)
{
    FileMatch match;
    match.matched = true;
    match.line = line;
    match.context = Context(text);
    return match;
}

// One bit per byte of word (its top bit) that equals the byte repeated in
// pattern; exact, without carries between bytes.
inline quint64 EqualBytes(quint64 word, quint64 pattern)
{
    constexpr quint64 low7 = 0x7F7F7F7F7F7F7F7FULL;
    const quint64 x = word ^ pattern;
    return ~(((x & low7) + low7) | x | low7);
}

inline quint64 Load8(const char *at)
{
    quint64 word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The sum of the eight bytes of a word.
inline qint64 SumBytes(quint64 word)
{
    constexpr quint64 evenBytes = 0x00FF00FF00FF00FFULL;
    const quint64 pairs = (word & evenBytes) + ((word >> 8) & evenBytes);   // four sums up to 510
    return qint64((pairs * 0x0001000100010001ULL) >> 48);
}

// Line ends in data[0, end): each LF, and each CR that no LF follows (the
// LFs and CRs less the CR LF pairs). The byte at end may be looked at, when
// it lies inside size. Eight bytes at a time: this runs over every line
// before a hit.
int CountLineEnds(const char *data, qsizetype end, qsizetype size)
{
    constexpr quint64 lf = 0x0A0A0A0A0A0A0A0AULL;
    constexpr quint64 cr = 0x0D0D0D0D0D0D0D0DULL;
    qint64 count = 0;
    qsizetype i = 0;
    // Per byte: 1 for a line end, summed up in the bytes of acc (at most
    // 255 words before they are added up).
    quint64 acc = 0;
    int inAcc = 0;
    // The second load reads bytes i + 1 to i + 8, all before end.
    for (; i + 9 <= end; i += 8) {
        const quint64 word = Load8(data + i);
        // A CR whose next byte (one byte on in the second word) is LF
        // belongs to a pair and is not counted. Both words are loaded the
        // same way, so byte order does not matter.
        const quint64 nextLfs = EqualBytes(Load8(data + i + 1), lf);
        acc += (EqualBytes(word, lf) | (EqualBytes(word, cr) & ~nextLfs)) >> 7;
        if (++inAcc == 255) {
            count += SumBytes(acc);
            acc = 0;
            inAcc = 0;
        }
    }
    count += SumBytes(acc);
    for (; i < end; ++i) {
        if (data[i] == '\n')
            ++count;
        else if (data[i] == '\r' && !(i + 1 < size && data[i + 1] == '\n'))
            ++count;
    }
    return int(count);
}

// First CR or LF in data[from, size), or -1.
qsizetype FindLineEnd(const char *data, qsizetype from, qsizetype size)
{
    for (qsizetype i = from; i < size; ++i)
        if (IsLineEnd(data[i]))
            return i;
    return -1;
}

// The position after the last CR or LF in data[from, to), or from when there is none.
qsizetype StartAfterLastLineEnd(const char *data, qsizetype from, qsizetype to)
{
    for (qsizetype i = to; i > from; --i)
        if (IsLineEnd(data[i - 1]))
            return i;
    return from;
}

// ASCII upper-casing of bytes; every other byte stays.
constexpr std::array<unsigned char, 256> FoldTable()
{
    std::array<unsigned char, 256> fold{};
    for (int b = 0; b < 256; ++b)
        fold[size_t(b)] = (unsigned char)((b >= 'a' && b <= 'z') ? b - 32 : b);
    return fold;
}
constexpr std::array<unsigned char, 256> Fold = FoldTable();

// Finds an ASCII text in bytes ignoring ASCII case (Horspool's skip
// search). A byte that upper-cases to an ASCII letter is that letter or its
// lower-case pair, so every line whose UpperCase form contains the text has
// a hit here; the hits are confirmed by UpperCase, which follows the locale.
class FoldedSearcher
{
public:
    // upperAscii is not empty and holds no character past 0x7F.
    void Prepare(const QString &upperAscii)
    {
        if (upperAscii == m_text)
            return;
        m_text = upperAscii;
        m_needle = upperAscii.toLatin1();
        const qsizetype m = m_needle.size();
        // Skips longer than 255 are cut to 255: shorter skips are safe.
        const unsigned char longest = (unsigned char)std::min<qsizetype>(m, 255);
        std::array<unsigned char, 256> folded;
        folded.fill(longest);
        for (qsizetype i = 0; i + 1 < m; ++i)
            folded[(unsigned char)m_needle.at(i)] = (unsigned char)std::min<qsizetype>(m - 1 - i, 255);
        // Indexed by the raw byte, so the skip loop needs one lookup a step.
        for (int b = 0; b < 256; ++b)
            m_skip[size_t(b)] = folded[Fold[size_t(b)]];
    }

    qsizetype Length() const { return m_needle.size(); }

    // The first position at or after from where the text starts, or -1.
    qsizetype Find(const char *bytes, qsizetype from, qsizetype size) const
    {
        const auto *data = reinterpret_cast<const unsigned char *>(bytes);
        const auto *needle = reinterpret_cast<const unsigned char *>(m_needle.constData());
        const qsizetype m = m_needle.size();
        const unsigned char last = needle[m - 1];
        qsizetype pos = from;
        while (pos + m <= size) {
            const unsigned char tail = data[pos + m - 1];
            if (Fold[tail] == last) {
                qsizetype i = m - 2;
                while (i >= 0 && Fold[data[pos + i]] == needle[i])
                    --i;
                if (i < 0)
                    return pos;
            }
            pos += m_skip[tail];
        }
        return -1;
    }

private:
    QString m_text;
    QByteArray m_needle;
    std::array<unsigned char, 256> m_skip{};
};

// Searches come one after the other with the same text: the skip table is
// prepared once per text and thread.
const FoldedSearcher &SearcherFor(const QString &upperAscii)
{
    thread_local FoldedSearcher searcher;
    searcher.Prepare(upperAscii);
    return searcher;
}

bool IsAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// Decoded text (a source with a byte-order mark), line by line.
FileMatch SearchDecoded(const QString &text, const QString &upperContaining)
{
    const qsizetype size = text.size();
    qsizetype start = 0;
    int line = 1;
    while (start < size) {
        qsizetype end = start;
        while (end < size && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
            ++end;
        const QString current = text.mid(start, end - start);
        if (UpperCase(current).contains(upperContaining))
            return Found(line, current);
        if (end + 1 < size && text.at(end) == QLatin1Char('\r') && text.at(end + 1) == QLatin1Char('\n'))
            ++end;
        start = end + 1;
        ++line;
    }
    return {};
}

// A Latin-1 source, read block by block. The buffer starts at a line start
// (or at a CR whose LF may still come) and holds the lines not yet passed.
// Candidates come from the folded search when the text is ASCII; otherwise
// every line is a candidate.
class Latin1Search
{
public:
    Latin1Search(ReadOnlyFile &file, QByteArray &buffer, bool more, const QString &upperContaining)
        : m_file(file), m_buffer(buffer), m_more(more), m_upper(upperContaining)
    {
        if (IsAscii(upperContaining))
            m_searcher = &SearcherFor(upperContaining);
        m_partialStart = StartAfterLastLineEnd(m_buffer.constData(), 0, m_buffer.size());
    }

    FileMatch Run()
    {
        qsizetype scanFrom = 0;
        for (;;) {
            while (scanFrom < m_buffer.size()) {
                const char *data = m_buffer.constData();
                qsizetype size = m_buffer.size();
                const qsizetype pos = m_searcher ? m_searcher->Find(data, scanFrom, size) : scanFrom;
                if (pos < 0)
                    break;
                qsizetype lineEnd = FindLineEnd(data, pos, size);
                if (lineEnd < 0) {
                    // The candidate's line goes on past the buffer: read on
                    // to its end, looking for a line end in new bytes only.
                    qsizetype searched = size;
                    while (lineEnd < 0 && ReadBlock()) {
                        lineEnd = FindLineEnd(m_buffer.constData(), searched, m_buffer.size());
                        searched = m_buffer.size();
                    }
                    data = m_buffer.constData();
                    size = m_buffer.size();
                    if (lineEnd < 0)
                        lineEnd = size;
                }
                const qsizetype lineStart = StartAfterLastLineEnd(data, 0, pos);
                const QString line = QString::fromLatin1(data + lineStart, lineEnd - lineStart);
                if (UpperCase(line).contains(m_upper))
                    return Found(m_lineBase + CountLineEnds(data, lineStart, size), line);
                scanFrom = lineEnd + 1;
                if (scanFrom < size && data[lineEnd] == '\r' && data[scanFrom] == '\n')
                    ++scanFrom;
            }
            if (!m_more)
                return {};
            // Every candidate before the last line start has been looked at
            // (a hit cannot span a line end); the lines before it go.
            const qsizetype size = m_buffer.size();
            if (m_searcher)
                scanFrom = std::max(scanFrom, size - m_searcher->Length() + 1);
            scanFrom = std::max(scanFrom, m_partialStart);
            qsizetype cut = m_partialStart;
            if (cut == size && cut > 0 && m_buffer.at(cut - 1) == '\r')
                --cut;   // its LF may be the next byte: keep the CR to count them as one
            m_lineBase += CountLineEnds(m_buffer.constData(), cut, size);
            m_buffer.remove(0, cut);
            scanFrom -= cut;
            m_partialStart -= cut;
            ReadBlock();
        }
    }

private:
    // Appends the next block; false when nothing more will come.
    bool ReadBlock()
    {
        if (!m_more)
            return false;
        const qsizetype before = m_buffer.size();
        m_more = m_file.ReadMore(m_buffer, std::max<qint64>(BlockSize, before));
        // Without a line end in the new bytes the last line start stays.
        const qsizetype last = StartAfterLastLineEnd(m_buffer.constData(), before, m_buffer.size());
        if (last > before)
            m_partialStart = last;
        return m_buffer.size() > before || m_more;
    }

    ReadOnlyFile &m_file;
    QByteArray &m_buffer;
    bool m_more;
    QString m_upper;
    const FoldedSearcher *m_searcher = nullptr;   // null: every line is a candidate
    int m_lineBase = 1;            // the line number of the line at the buffer's start
    qsizetype m_partialStart = 0;  // after the buffer's last line end
};

// The answers that need no text at all: an empty text matches anywhere,
// and a text holding a line end matches nowhere (a line never holds one).
std::optional<FileMatch> AnsweredWithoutText(const QString &upperContaining)
{
    if (upperContaining.isEmpty()) {
        FileMatch match;
        match.matched = true;
        return match;
    }
    if (upperContaining.contains(QLatin1Char('\r')) || upperContaining.contains(QLatin1Char('\n')))
        return FileMatch();
    return std::nullopt;
}

} // namespace

FileMatch SearchText(const QString &text, const QString &upperContaining)
{
    if (const std::optional<FileMatch> answer = AnsweredWithoutText(upperContaining))
        return *answer;
    return SearchDecoded(text, upperContaining);
}

FileMatch SearchFile(const QString &specPath, const QString &upperContaining)
{
    if (const std::optional<FileMatch> answer = AnsweredWithoutText(upperContaining))
        return *answer;
    ReadOnlyFile file;
    if (!file.Open(specPath))
        return {};
    QByteArray buffer;
    bool more = file.ReadMore(buffer, BlockSize);
    if (HasByteOrderMark(buffer)) {
        while (more)
            more = file.ReadMore(buffer, std::max<qint64>(BlockSize, buffer.size()));
        return SearchDecoded(TextFile::Decode(buffer), upperContaining);
    }
    return Latin1Search(file, buffer, more, upperContaining).Run();
}

} // namespace kelvarin::SourceSearch
