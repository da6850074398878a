#include "model/DeclarationParser.h"

#include "platform/EventPump.h"
#include "platform/ReadOnlyFile.h"
#include "platform/TextFile.h"

namespace kelvarin::DeclarationParser {

namespace {

// The first read; each later read doubles what has been read so far, so a file
// whose declaration comes late is still read and parsed in linear time.
constexpr qint64 kFirstChunk = 1024;

// A chunk boundary can split a UTF-8 sequence (at most three bytes of it) or a
// UTF-16 surrogate pair; the decoder turns the split part into replacement
// characters. Those last characters are left out of a parse that is not final:
// a parse never decides on text it has not seen, so parsing a shorter prefix
// gives the same answer, and the characters come back whole with the next read.
constexpr qsizetype kPartialTail = 3;

bool IsNameChar(QChar c)
{
    return c == u'_' || c.isLetterOrNumber();
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool IsLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// Walks the text once. Whenever the text ends before the answer is certain,
// the answer depends on what follows: with more text to come the result is
// "undecided"; at the true end of the file the text simply ends there.
class Reader
{
public:
    Reader(QStringView text, bool atEnd) : m_text(text), m_atEnd(atEnd) {}

    Result Run()
    {
        bool statementStart = true;
        for (;;) {
            if (SkipSpace())
                statementStart = true;
            if (AtTextEnd())
                return Ended();
            const QChar c = m_text.at(m_pos);
            if (c == u';') {
                ++m_pos;
                statementStart = true;
            } else if (c == u'"') {
                SkipString();
                statementStart = false;
            } else if (c == u'#' && statementStart) {
                // A directive (#exec) runs to the end of its line; its
                // arguments are file names and options, never code, and may
                // hold "/*" or ";".
                while (!AtTextEnd() && !IsLineEnd(m_text.at(m_pos)))
                    ++m_pos;
            } else if (IsNameChar(c)) {
                const QStringView word = ReadName();
                if (statementStart && IsKeyword(word, u"class")) {
                    switch (SeparatorFollows()) {
                    case Answer::Yes:
                        return ReadDeclaration();
                    case Answer::NotYetKnown:
                        return Undecided();
                    case Answer::No:
                        break;
                    }
                }
                statementStart = false;
            } else {
                ++m_pos;
                statementStart = false;
            }
        }
    }

private:
    enum class Answer { Yes, No, NotYetKnown };

    bool AtTextEnd() const { return m_pos >= m_text.size(); }

    static Result Undecided() { return Result{}; }

    static Result Decided(QString parent)
    {
        Result result;
        result.decided = true;
        result.parent = std::move(parent);
        return result;
    }

    // The text ran out with no parent found.
    Result Ended() const { return m_atEnd ? Decided(QString()) : Undecided(); }

    // Skips blanks, tabs, line ends and comments. Returns true when a line end
    // was passed, inside a block comment or outside. A "//" comment stops
    // before its line end; an unclosed block comment runs to the end of the
    // text. A '/' that ends an incomplete text may begin a comment, so the
    // reader moves past it to the end and the caller asks for more.
    bool SkipSpace()
    {
        bool lineEnd = false;
        while (!AtTextEnd()) {
            const QChar c = m_text.at(m_pos);
            if (IsBlank(c)) {
                ++m_pos;
            } else if (IsLineEnd(c)) {
                lineEnd = true;
                ++m_pos;
            } else if (c == u'/') {
                if (m_pos + 1 >= m_text.size()) {
                    if (!m_atEnd)
                        m_pos = m_text.size();
                    break;
                }
                const QChar next = m_text.at(m_pos + 1);
                if (next == u'/') {
                    // To the line end: the first LF, or a CR before it.
                    qsizetype end = m_text.indexOf(u'\n', m_pos + 2);
                    if (end < 0)
                        end = m_text.size();
                    const qsizetype cr = m_text.sliced(m_pos + 2, end - m_pos - 2).indexOf(u'\r');
                    m_pos = cr < 0 ? end : m_pos + 2 + cr;
                } else if (next == u'*') {
                    qsizetype close = m_text.indexOf(u"*/", m_pos + 2);
                    const qsizetype end = close < 0 ? m_text.size() : close + 2;
                    for (qsizetype i = m_pos + 2; i < end && !lineEnd; ++i)
                        lineEnd = IsLineEnd(m_text.at(i));
                    m_pos = end;
                } else {
                    break;
                }
            } else {
                break;
            }
        }
        return lineEnd;
    }

    // A string literal runs to its closing quote or to the end of its line; a
    // backslash escapes the character after it.
    void SkipString()
    {
        ++m_pos;
        while (!AtTextEnd()) {
            const QChar c = m_text.at(m_pos);
            if (IsLineEnd(c))
                return;
            ++m_pos;
            if (c == u'"')
                return;
            if (c == u'\\' && !AtTextEnd() && !IsLineEnd(m_text.at(m_pos)))
                ++m_pos;
        }
    }

    QStringView ReadName()
    {
        const qsizetype start = m_pos;
        while (!AtTextEnd() && IsNameChar(m_text.at(m_pos)))
            ++m_pos;
        return m_text.sliced(start, m_pos - start);
    }

    // After the word "class": white space or a comment makes it a declaration.
    Answer SeparatorFollows() const
    {
        if (AtTextEnd())
            return m_atEnd ? Answer::No : Answer::NotYetKnown;
        const QChar c = m_text.at(m_pos);
        if (IsBlank(c) || IsLineEnd(c))
            return Answer::Yes;
        if (c != u'/')
            return Answer::No;
        if (m_pos + 1 >= m_text.size())
            return m_atEnd ? Answer::No : Answer::NotYetKnown;
        const QChar next = m_text.at(m_pos + 1);
        return next == u'/' || next == u'*' ? Answer::Yes : Answer::No;
    }

    // From after the word "class" to the declaration's ';': the class name,
    // then the first whole word "expands" or "extends".
    Result ReadDeclaration()
    {
        SkipSpace();
        ReadName();
        for (;;) {
            SkipSpace();
            if (AtTextEnd())
                return Ended();
            const QChar c = m_text.at(m_pos);
            if (c == u';')
                return Decided(QString());
            if (c == u'"') {
                SkipString();
            } else if (IsNameChar(c)) {
                // A keyword that ends the text may go on ("extendsX"); its
                // parent is then undecided for want of text anyway.
                const QStringView word = ReadName();
                if (IsKeyword(word, u"expands") || IsKeyword(word, u"extends"))
                    return ReadParent();
            } else {
                ++m_pos;
            }
        }
    }

    // The name after the keyword, possibly qualified by its package
    // ("Engine.Actor"); the part after the last dot is the class.
    Result ReadParent()
    {
        SkipSpace();
        if (AtTextEnd())
            return Ended();
        if (!IsNameChar(m_text.at(m_pos)))
            return Decided(QString());
        for (;;) {
            const QStringView part = ReadName();
            if (AtTextEnd())
                return m_atEnd ? Decided(part.toString()) : Undecided();
            if (m_text.at(m_pos) != u'.')
                return Decided(part.toString());
            if (m_pos + 1 >= m_text.size())
                return m_atEnd ? Decided(part.toString()) : Undecided();
            if (!IsNameChar(m_text.at(m_pos + 1)))
                return Decided(part.toString());
            ++m_pos;
        }
    }

    QStringView m_text;
    bool m_atEnd;
    qsizetype m_pos = 0;
};

// Reads until bytes holds want bytes or the file ends. True when the whole
// file has been read (or it cannot be read any further).
} // namespace

bool IsKeyword(QStringView word, QStringView lowerKeyword)
{
    if (word.size() != lowerKeyword.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        char16_t c = word.at(i).unicode();
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + 32);
        if (c != lowerKeyword.at(i).unicode())
            return false;
    }
    return true;
}

Result Parse(QStringView text, bool atEnd)
{
    return Reader(text, atEnd).Run();
}

QString FindParentClass(const QString &specPath, EventPump &pump)
{
    ReadOnlyFile file;
    if (!file.Open(specPath))
        return QString();

    // Each round decodes from the first byte, so the byte-order mark is always
    // seen and a UTF-16 text is never read from an odd offset (every amount
    // read is even until the file ends).
    QByteArray bytes;
    qint64 want = kFirstChunk;
    for (;;) {
        pump.Pump();
        if (pump.Terminating())
            return QString();
        const bool atEnd = !file.ReadMore(bytes, want - bytes.size());
        QString text = TextFile::Decode(bytes);
        if (!atEnd)
            text.chop(kPartialTail);
        const Result result = Parse(text, atEnd);
        if (result.decided || atEnd)
            return result.parent;
        want = qint64(bytes.size()) * 2;
    }
}

} // namespace kelvarin::DeclarationParser
