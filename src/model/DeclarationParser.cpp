#include "model/DeclarationParser.h"

#include "platform/EventPump.h"
#include "platform/ReadOnlyFile.h"

#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <optional>

namespace kelvarin::DeclarationParser {

namespace {

// Reads start small (most declarations sit in the first lines) and grow up to
// a bound, so a long header comment takes a few reads and memory stays small.
constexpr qint64 kFirstChunk = 4096;
constexpr qint64 kLargestChunk = 64 * 1024;
// What is decoded at once of a piece read (the first slice holds a byte-order
// mark whole).
constexpr qsizetype kDecodeSlice = 512;

// Class names are short; a longer name is kept no further and names no parent.
constexpr qsizetype kLongestName = 1024;

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

// Control characters that no source text holds (NUL, the rest of C0 but tab,
// line ends, form feed and vertical tab): binary data, where the search ends.
bool IsJunk(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\f' && u != u'\v';
}

// Passes over 8-bit text eight bytes at a time while none of them is a
// control character (below 0x20) or, when starStops, a '*': most of a comment.
// Answers where the bytes that need a closer look begin.
qsizetype SkipPlainBytes(const unsigned char *bytes, qsizetype at, qsizetype size, bool starStops)
{
    constexpr quint64 ones = 0x0101010101010101ull;
    constexpr quint64 highs = 0x8080808080808080ull;
    while (at + 8 <= size) {
        quint64 word;
        std::memcpy(&word, bytes + at, 8);
        // Non-zero exactly when some byte is below 0x20 (or is zero after the xor).
        quint64 stop = (word - 0x20 * ones) & ~word & highs;
        if (starStops) {
            const quint64 stars = word ^ (quint64('*') * ones);
            stop |= (stars - ones) & ~stars & highs;
        }
        if (stop)
            break;
        at += 8;
    }
    return at;
}

// A word of which only the first kLongestName characters are kept.
class Word
{
public:
    void Start(QChar c)
    {
        m_text.clear();
        m_text.append(c);
        m_tooLong = false;
    }
    void Append(QChar c)
    {
        if (m_text.size() < kLongestName)
            m_text.append(c);
        else
            m_tooLong = true;
    }
    // Appends count characters, as many calls of Append would.
    template<typename Char>
    void Append(const Char *chars, qsizetype count)
    {
        const qsizetype room = std::min(count, kLongestName - m_text.size());
        for (qsizetype i = 0; i < room; ++i)
            m_text.append(QChar(char16_t(chars[i])));
        if (room < count)
            m_tooLong = true;
    }
    bool Is(QStringView lowerKeyword) const
    {
        return !m_tooLong && IsKeyword(QStringView(m_text.constData(), m_text.size()), lowerKeyword);
    }
    // The word, or empty when it was cut.
    QString Whole() const { return m_tooLong ? QString() : QString(m_text.constData(), m_text.size()); }

private:
    QVarLengthArray<QChar, 64> m_text;   // most words fit without an allocation
    bool m_tooLong = false;
};

// Reads a source text fed piece by piece, character by character, keeping no
// more than the word at hand. Before the declaration only white space,
// comments and directive lines (#exec) may stand; anything else ends the
// search without a parent. The declaration runs from the word "class" to its
// ';': the class name, then the first whole word "expands" or "extends" and
// the parent after it. A decision is only taken on characters seen, so a text
// read in pieces gets the answer of the whole text.
class StreamReader
{
public:
    bool Decided() const { return m_decided; }
    const QString &Parent() const { return m_parent; }

    // Takes more text; true once the answer is known.
    bool Feed(QStringView text) { return FeedChars(reinterpret_cast<const char16_t *>(text.data()), text.size()); }
    // Latin-1 bytes are their own code points: they need no decoding.
    bool FeedLatin1(QByteArrayView bytes)
    {
        return FeedChars(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
    }

    // The text has ended: what is pending is decided as it stands.
    void Finish()
    {
        if (m_decided)
            return;
        if (m_part == Part::Parent && (m_token == Token::Word || m_token == Token::Dot))
            Decide(m_word.Whole());
        else
            Decide(QString());
    }

private:
    // Where in the text the reader is.
    enum class Part { Preamble, ClassName, Body, Parent };
    // What the reader is inside of within that part.
    enum class Token {
        None, Slash, LineComment, BlockComment, BlockCommentStar, Directive, Word,
        AfterClass, AfterClassSlash, String, StringEscape, Dot
    };

    template<typename Char>
    bool FeedChars(const Char *chars, qsizetype size)
    {
        for (qsizetype i = 0; i < size && !m_decided;) {
            // Runs of characters that change nothing but the word at hand are
            // passed over without the full step: inside a comment or a
            // directive line all but its end, line ends and junk; white space
            // between tokens; the letters of a word.
            switch (m_token) {
            case Token::LineComment:
            case Token::Directive:
                if constexpr (sizeof(Char) == 1)
                    i = SkipPlainBytes(chars, i, size, false);
                while (i < size && chars[i] >= 0x20)
                    ++i;
                break;
            case Token::BlockComment:
                if constexpr (sizeof(Char) == 1)
                    i = SkipPlainBytes(chars, i, size, true);
                while (i < size && chars[i] >= 0x20 && chars[i] != u'*')
                    ++i;
                break;
            case Token::None:
                while (i < size && (chars[i] == u' ' || chars[i] == u'\t' || chars[i] == u'\r' || chars[i] == u'\n'))
                    ++i;
                break;
            case Token::Word: {
                const qsizetype from = i;
                while (i < size && IsNameChar(QChar(char16_t(chars[i]))))
                    ++i;
                m_word.Append(chars + from, i - from);
                break;
            }
            default:
                break;
            }
            if (i < size && Take(QChar(char16_t(chars[i]))))
                ++i;
        }
        return m_decided;
    }

    void Decide(const QString &parent)
    {
        m_decided = true;
        m_parent = parent;
    }

    // Handles one character; false when the character is to be handled again
    // in the state it led to (it ended a token without belonging to it).
    bool Take(QChar c)
    {
        if (IsJunk(c) && m_token != Token::Word && m_token != Token::Dot) {
            Decide(QString());
            return true;
        }
        switch (m_token) {
        case Token::None:
            return TakeBetween(c);
        case Token::Slash:
            m_token = Token::None;
            if (c == u'/') {
                m_token = Token::LineComment;
                return true;
            }
            if (c == u'*') {
                m_token = Token::BlockComment;
                return true;
            }
            return LoneSlash();
        case Token::LineComment:
        case Token::Directive:
            if (IsLineEnd(c))
                m_token = Token::None;
            return !IsLineEnd(c);
        case Token::BlockComment:
            if (c == u'*')
                m_token = Token::BlockCommentStar;
            return true;
        case Token::BlockCommentStar:
            if (c == u'/')
                m_token = Token::None;
            else if (c != u'*')
                m_token = Token::BlockComment;
            return true;
        case Token::Word:
            if (IsNameChar(c)) {
                m_word.Append(c);
                return true;
            }
            m_token = Token::None;
            return WordEnded(c);
        case Token::AfterClass:
            // White space or a comment after "class" makes it a declaration.
            if (IsBlank(c) || IsLineEnd(c)) {
                m_part = Part::ClassName;
                m_token = Token::None;
                return false;
            }
            if (c == u'/') {
                m_token = Token::AfterClassSlash;
                return true;
            }
            Decide(QString());
            return true;
        case Token::AfterClassSlash:
            if (c == u'/' || c == u'*') {
                m_part = Part::ClassName;
                m_token = c == u'/' ? Token::LineComment : Token::BlockComment;
            } else {
                Decide(QString());
            }
            return true;
        case Token::String:
            // A string runs to its closing quote or to the end of its line; a
            // backslash escapes the character after it.
            if (IsLineEnd(c)) {
                m_token = Token::None;
                return false;
            }
            if (c == u'"')
                m_token = Token::None;
            else if (c == u'\\')
                m_token = Token::StringEscape;
            return true;
        case Token::StringEscape:
            m_token = Token::String;
            return !IsLineEnd(c);
        case Token::Dot:
            // "Engine.Actor": the part after the last dot is the class.
            if (IsNameChar(c)) {
                m_word.Start(c);
                m_token = Token::Word;
            } else {
                Decide(m_word.Whole());
            }
            return true;
        }
        return true;
    }

    // Between tokens: white space, a comment, or the start of the next token.
    bool TakeBetween(QChar c)
    {
        if (IsBlank(c) || IsLineEnd(c))
            return true;
        if (c == u'/') {
            m_token = Token::Slash;
            return true;
        }
        if (IsNameChar(c)) {
            m_word.Start(c);
            m_token = Token::Word;
            return true;
        }
        switch (m_part) {
        case Part::Preamble:
            if (c == u'#')
                m_token = Token::Directive;
            else
                Decide(QString());
            return true;
        case Part::ClassName:
            // No class name: the declaration goes on at once.
            m_part = Part::Body;
            return false;
        case Part::Body:
            if (c == u';')
                Decide(QString());
            else if (c == u'"')
                m_token = Token::String;
            return true;
        case Part::Parent:
            Decide(QString());
            return true;
        }
        return true;
    }

    // A '/' that begins no comment.
    bool LoneSlash()
    {
        switch (m_part) {
        case Part::Preamble:
        case Part::Parent:
            Decide(QString());
            return true;
        case Part::ClassName:
            m_part = Part::Body;
            return false;
        case Part::Body:
            return false;   // passed over like any other sign
        }
        return false;
    }

    // A word ended before c.
    bool WordEnded(QChar c)
    {
        switch (m_part) {
        case Part::Preamble:
            if (m_word.Is(u"class"))
                m_token = Token::AfterClass;
            else
                Decide(QString());
            return false;
        case Part::ClassName:
            m_part = Part::Body;
            return false;
        case Part::Body:
            if (m_word.Is(u"expands") || m_word.Is(u"extends"))
                m_part = Part::Parent;
            return false;
        case Part::Parent:
            if (c == u'.') {
                m_token = Token::Dot;
                return true;
            }
            Decide(m_word.Whole());
            return true;
        }
        return false;
    }

    Part m_part = Part::Preamble;
    Token m_token = Token::None;
    Word m_word;
    bool m_decided = false;
    QString m_parent;
};

// Decodes a file read in pieces as TextFile::Decode decodes it whole: a
// byte-order mark picks UTF-16 or UTF-8 and is dropped; anything else is
// Latin-1. A sequence cut by the end of a piece is completed by the next.
class StreamDecoder
{
public:
    // Called with every piece before it is decoded: on the first, takes the
    // byte-order mark off and settles the encoding. Answers the bytes that
    // are text.
    QByteArrayView Detect(QByteArrayView bytes)
    {
        if (m_first) {
            m_first = false;
            const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
            if (bytes.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
                m_kind = Kind::Utf16LE;
                bytes = bytes.sliced(2);
            } else if (bytes.size() >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
                m_kind = Kind::Utf16BE;
                bytes = bytes.sliced(2);
            } else if (bytes.size() >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
                m_kind = Kind::Utf8;
                // As QString::fromUtf8, a second mark right after the first is dropped too.
                m_utf8.emplace(QStringConverter::Utf8);
                bytes = bytes.sliced(3);
            }
        }
        return bytes;
    }

    // Latin-1 text needs no decoding: its bytes are its code points.
    bool IsLatin1() const { return m_kind == Kind::Latin1; }

    // Decodes text that Detect answered. The text goes into out (its memory
    // is used again from piece to piece).
    void Decode(QByteArrayView bytes, QString &out)
    {
        switch (m_kind) {
        case Kind::Latin1:
            out = QString::fromLatin1(bytes);
            return;
        case Kind::Utf8: {
            out.resize(m_utf8->requiredSpace(bytes.size()));
            QChar *end = m_utf8->appendToBuffer(out.data(), bytes);
            out.resize(end - out.constData());
            return;
        }
        case Kind::Utf16LE:
        case Kind::Utf16BE:
            DecodeUtf16(bytes, out);
            return;
        }
        out.clear();
    }

private:
    enum class Kind { Latin1, Utf8, Utf16LE, Utf16BE };

    // Code units are taken as they are, unpaired surrogates too.
    void DecodeUtf16(QByteArrayView bytes, QString &out)
    {
        out.resize((bytes.size() + 1) / 2);
        QChar *to = out.data();
        qsizetype units = 0;
        const bool little = m_kind == Kind::Utf16LE;
        for (const char byte : bytes) {
            const auto b = static_cast<unsigned char>(byte);
            if (m_halfUnit < 0) {
                m_halfUnit = b;
                continue;
            }
            const int first = m_halfUnit;
            m_halfUnit = -1;
            to[units++] = QChar(char16_t(little ? first | (b << 8) : (first << 8) | b));
        }
        out.resize(units);
    }

    bool m_first = true;
    Kind m_kind = Kind::Latin1;
    std::optional<QStringDecoder> m_utf8;
    int m_halfUnit = -1;   // the first byte of a code unit cut by a piece's end
};

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
    StreamReader reader;
    reader.Feed(text);
    if (atEnd)
        reader.Finish();
    Result result;
    result.decided = reader.Decided();
    result.parent = reader.Parent();
    return result;
}

namespace {

// Reads the open file piece by piece until the answer is known. Each piece is
// decoded and read on, then dropped: nothing of the file is kept but the word
// the reader is at. pump, when given, runs before each piece.
QString ReadParent(ReadOnlyFile &file, EventPump *pump)
{
    StreamDecoder decoder;
    StreamReader reader;
    // One buffer for the bytes and one for the text per thread, used again
    // from file to file.
    thread_local QByteArray bytes;
    thread_local QString decoded;
    qint64 want = kFirstChunk;
    bool first = true;
    for (;;) {
        if (pump) {
            pump->Pump();
            if (pump->Terminating())
                return QString();
        }
        bytes.resize(0);
        bool more = file.ReadSome(bytes, want) > 0;
        // The decoder tells the encoding by the first three bytes.
        while (first && more && bytes.size() < 3)
            more = file.ReadSome(bytes, want - bytes.size()) > 0;
        first = false;
        const QByteArrayView text = decoder.Detect(bytes);
        if (decoder.IsLatin1()) {
            if (reader.FeedLatin1(text))
                return reader.Parent();
        } else {
            // Decoded a slice at a time: the declaration usually ends well
            // before the piece read does.
            for (qsizetype at = 0; at < text.size(); at += kDecodeSlice) {
                decoder.Decode(text.sliced(at, std::min(kDecodeSlice, text.size() - at)), decoded);
                if (reader.Feed(decoded))
                    return reader.Parent();
            }
        }
        if (!more) {
            reader.Finish();
            return reader.Parent();
        }
        want = std::min(want * 2, kLargestChunk);
    }
}

} // namespace

QString FindParentClass(const QString &specPath, EventPump &pump)
{
    ReadOnlyFile file;
    if (!file.Open(specPath))
        return QString();
    return ReadParent(file, &pump);
}

QString FindParentClass(const FileSystem::Listing &listing, const FileSystem::Listing::Entry &entry,
                        EventPump *pump)
{
    ReadOnlyFile file;
    if (!file.OpenListed(listing, entry))
        return QString();
    return ReadParent(file, pump);
}

} // namespace kelvarin::DeclarationParser
