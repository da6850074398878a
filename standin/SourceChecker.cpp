#include "SourceChecker.h"

#include "model/DeclarationParser.h"

#include <QSet>

#include <vector>

namespace kelvarin::Standin {

namespace {

bool IsNameChar(QChar c)
{
    return c == u'_' || c.isLetterOrNumber();
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\f' || c == u'\v';
}

bool IsLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

QChar CloserOf(QChar opener)
{
    switch (opener.unicode()) {
    case u'{': return u'}';
    case u'(': return u')';
    default: return u']';
    }
}

QChar OpenerOf(QChar closer)
{
    switch (closer.unicode()) {
    case u'}': return u'{';
    case u')': return u'(';
    default: return u'[';
    }
}

class Checker
{
public:
    explicit Checker(QStringView text) : m_text(text) {}

    SourceReport Run()
    {
        while (!AtEnd()) {
            const QChar c = m_text.at(m_pos);
            if (IsLineEnd(c)) {
                PassLineEnd();
                continue;
            }
            if (IsBlank(c)) {
                ++m_pos;
                continue;
            }
            const bool firstOnLine = m_lineStart;
            m_lineStart = false;
            if (c == u'#' && firstOnLine) {
                SkipToLineEnd();   // a directive: #exec ... runs to its line end
            } else if (c == u'/' && Next() == u'/') {
                SkipToLineEnd();
            } else if (c == u'/' && Next() == u'*') {
                SkipBlockComment();
            } else if (c == u'"') {
                SkipQuoted(u'"', true, QStringLiteral("Unterminated string"));
                m_statementStart = false;
            } else if (c == u'\'') {
                SkipQuoted(u'\'', false, QStringLiteral("Unterminated name"));
                m_statementStart = false;
            } else if (c == u'{' || c == u'(' || c == u'[') {
                m_open.push_back({c, m_line});
                ++m_pos;
                m_statementStart = c == u'{';
            } else if (c == u'}' || c == u')' || c == u']') {
                Close(c);
                ++m_pos;
                m_statementStart = c == u'}';
            } else if (c == u';') {
                ++m_pos;
                m_statementStart = true;
            } else if (IsNameChar(c)) {
                Word();
            } else {
                ++m_pos;
                m_statementStart = false;
            }
        }
        if (!m_open.empty())
            ReportOutermostUnclosed();
        m_report.parent = DeclarationParser::Parse(m_text, true).parent;
        if (m_report.className.isEmpty())
            Fault(1, QStringLiteral("Missing class declaration"));
        return m_report;
    }

private:
    struct Opener
    {
        QChar bracket;
        int line;
    };

    bool AtEnd() const { return m_pos >= m_text.size(); }
    QChar Next() const { return m_pos + 1 < m_text.size() ? m_text.at(m_pos + 1) : QChar(); }

    void Fault(int line, const QString &text) { m_report.faults.append(SourceFault{line, text}); }

    // A bracket opened on a line whose string or name never ended most likely
    // lost its partner inside that literal: the literal is the one fault.
    void ReportUnclosed(const Opener &opener)
    {
        if (m_literalFaultLines.contains(opener.line))
            return;
        Fault(opener.line, QStringLiteral("Missing '%1' for the '%2' in this line")
                               .arg(CloserOf(opener.bracket)).arg(opener.bracket));
    }

    void ReportOutermostUnclosed()
    {
        for (const Opener &opener : m_open) {
            if (!m_literalFaultLines.contains(opener.line)) {
                ReportUnclosed(opener);
                return;
            }
        }
    }

    // Passes one line end: LF, CR LF, or a CR alone.
    void PassLineEnd()
    {
        if (m_text.at(m_pos) == u'\r' && Next() == u'\n')
            ++m_pos;
        ++m_pos;
        ++m_line;
        m_lineStart = true;
    }

    void SkipToLineEnd()
    {
        while (!AtEnd() && !IsLineEnd(m_text.at(m_pos)))
            ++m_pos;
    }

    // Block comments do not nest: the first "*/" ends one.
    void SkipBlockComment()
    {
        const int startLine = m_line;
        m_pos += 2;
        while (!AtEnd()) {
            const QChar c = m_text.at(m_pos);
            if (c == u'*' && Next() == u'/') {
                m_pos += 2;
                return;
            }
            if (IsLineEnd(c))
                PassLineEnd();
            else
                ++m_pos;
        }
        Fault(startLine, QStringLiteral("Unterminated comment"));
    }

    // A string or a name literal: it must end on its own line. In strings a
    // backslash takes the next character with it (\" does not end it).
    void SkipQuoted(QChar quote, bool escapes, const QString &fault)
    {
        ++m_pos;
        while (!AtEnd()) {
            const QChar c = m_text.at(m_pos);
            if (IsLineEnd(c))
                break;
            ++m_pos;
            if (c == quote)
                return;
            if (escapes && c == u'\\' && !AtEnd() && !IsLineEnd(m_text.at(m_pos)))
                ++m_pos;
        }
        Fault(m_line, fault);
        m_literalFaultLines.insert(m_line);
    }

    void Close(QChar closer)
    {
        const QChar opener = OpenerOf(closer);
        if (!m_open.empty() && m_open.back().bracket == opener) {
            m_open.pop_back();
            return;
        }
        // The closer may belong further out, with an inner closer missing:
        // report the innermost opener left open and pair up with the outer.
        for (auto it = m_open.rbegin(); it != m_open.rend(); ++it) {
            if (it->bracket == opener) {
                ReportUnclosed(m_open.back());
                m_open.erase(std::next(it).base(), m_open.end());
                return;
            }
        }
        Fault(m_line, QStringLiteral("Unexpected '%1'").arg(closer));
    }

    void Word()
    {
        const qsizetype start = m_pos;
        while (!AtEnd() && IsNameChar(m_text.at(m_pos)))
            ++m_pos;
        const QStringView word = m_text.sliced(start, m_pos - start);
        const bool statementStart = m_statementStart;
        m_statementStart = false;

        if (m_expectClassName) {
            m_expectClassName = false;
            m_report.className = word.toString();
            return;
        }
        if (m_report.className.isEmpty() && m_report.declarationLine == 0 && statementStart
            && m_open.empty() && DeclarationParser::IsKeyword(word, u"class") && SeparatorFollows()) {
            m_report.declarationLine = m_line;
            m_expectClassName = true;
            return;
        }
        if (DeclarationParser::IsKeyword(word, u"defaultproperties"))
            TryDefaultProperties();
    }

    // After the word "class": white space or a comment makes it a declaration
    // ("class'Foo'" and "class<Foo>" are expressions).
    bool SeparatorFollows() const
    {
        if (AtEnd())
            return false;
        const QChar c = m_text.at(m_pos);
        return IsBlank(c) || IsLineEnd(c) || (c == u'/' && (Next() == u'/' || Next() == u'*'));
    }

    // "defaultproperties" followed (after blanks, line ends and comments) by
    // '{' opens the block; anything else leaves the word as plain code.
    void TryDefaultProperties()
    {
        const int keywordLine = m_line;
        qsizetype pos = m_pos;
        int line = m_line;
        while (pos < m_text.size()) {
            const QChar c = m_text.at(pos);
            if (IsBlank(c)) {
                ++pos;
            } else if (IsLineEnd(c)) {
                if (c == u'\r' && pos + 1 < m_text.size() && m_text.at(pos + 1) == u'\n')
                    ++pos;
                ++pos;
                ++line;
            } else if (c == u'/' && pos + 1 < m_text.size() && m_text.at(pos + 1) == u'/') {
                while (pos < m_text.size() && !IsLineEnd(m_text.at(pos)))
                    ++pos;
            } else if (c == u'/' && pos + 1 < m_text.size() && m_text.at(pos + 1) == u'*') {
                const qsizetype close = m_text.indexOf(u"*/", pos + 2);
                if (close < 0)
                    return;   // the main walk reports the open comment
                for (qsizetype i = pos + 2; i < close; ++i)
                    if (m_text.at(i) == u'\n' || (m_text.at(i) == u'\r' && m_text.at(i + 1) != u'\n'))
                        ++line;
                pos = close + 2;
            } else {
                break;
            }
        }
        if (pos >= m_text.size() || m_text.at(pos) != u'{')
            return;
        // Properties belong to the class, never inside a function or state:
        // whatever is still open there was never closed.
        if (!m_open.empty()) {
            ReportOutermostUnclosed();
            m_open.clear();
        }
        m_pos = pos + 1;
        m_line = line;
        m_lineStart = false;
        if (!ReadDefaultProperties())
            Fault(keywordLine, QStringLiteral("Unterminated defaultproperties block"));
        m_statementStart = true;
    }

    // Reads from just after the block's '{' to its end; true when it closed.
    // Each line is a value that runs to the line end; the block closes at a
    // line that starts with '}' (the walk goes on after it) or ends with '}'.
    bool ReadDefaultProperties()
    {
        while (!AtEnd()) {
            // Blanks and comments at the start of the line.
            for (;;) {
                while (!AtEnd() && IsBlank(m_text.at(m_pos)))
                    ++m_pos;
                if (!AtEnd() && m_text.at(m_pos) == u'/' && Next() == u'*') {
                    SkipBlockComment();
                    continue;
                }
                break;
            }
            if (AtEnd())
                break;
            const QChar c = m_text.at(m_pos);
            if (c == u'}') {
                ++m_pos;
                return true;
            }
            if (!(c == u'/' && Next() == u'/')) {
                const qsizetype start = m_pos;
                SkipToLineEnd();
                QStringView rest = m_text.sliced(start, m_pos - start);
                while (!rest.isEmpty() && rest.back().unicode() <= 32)
                    rest.chop(1);
                if (rest.endsWith(u'}')) {
                    // A one-line block ("defaultproperties { bHidden=True }")
                    // or a value line with the brace at its end.
                    return true;
                }
            } else {
                SkipToLineEnd();
            }
            if (!AtEnd())
                PassLineEnd();
        }
        return false;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    bool m_lineStart = true;
    bool m_statementStart = true;
    bool m_expectClassName = false;
    std::vector<Opener> m_open;
    QSet<int> m_literalFaultLines;
    SourceReport m_report;
};

} // namespace

SourceReport CheckSource(QStringView text)
{
    return Checker(text).Run();
}

} // namespace kelvarin::Standin
