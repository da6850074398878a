#include "model/TextRules.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace kelvarin {

QString Trim(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.mid(begin, end - begin);
}

QString UpperCase(const QString &text)
{
    // Plain ASCII is by far the common case (class and package names); it is
    // upper-cased directly, in one pass. Anything else goes through the
    // locale, and where the locale would change the length ("ß" → "SS") each
    // character is upper-cased on its own.
    const qsizetype size = text.size();
    const char16_t *source = reinterpret_cast<const char16_t *>(text.constData());
    qsizetype i = 0;
    while (i < size && source[i] < 0x80 && !(source[i] >= u'a' && source[i] <= u'z'))
        ++i;
    if (i == size)
        return text;   // nothing to change: shares the text, no copy
    if (source[i] < 0x80) {
        // A lower-case letter: the rest is converted as it is checked.
        QString result(size, Qt::Uninitialized);
        char16_t *target = reinterpret_cast<char16_t *>(result.data());
        std::copy_n(source, i, target);
        for (; i < size; ++i) {
            const char16_t u = source[i];
            if (u >= 0x80)
                break;
            target[i] = u >= u'a' && u <= u'z' ? char16_t(u - 32) : u;
        }
        if (i == size)
            return result;
    }
    QString viaLocale = QLocale().toUpper(text);
    if (viaLocale.size() == text.size())
        return viaLocale;
    QString result = text;
    for (qsizetype i = 0; i < result.size(); ++i) {
        const QChar up = result.at(i).toUpper();
        result[i] = up;
    }
    return result;
}

bool IsIdentifier(QStringView text, NameLetters letters)
{
    if (text.isEmpty())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'
            || (letters == NameLetters::Latin1 && c >= 0xA0 && c <= 0xFF && text.at(i).isLetter());
        const bool digit = c >= u'0' && c <= u'9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}

namespace {

struct Collation
{
    QCollator collator;
    bool plain = false;   // the C locale: no collation, upper-cased code order
};

Collation &CurrentCollation()
{
    // One collator per thread; it follows the default locale at first use.
    thread_local Collation collation = [] {
        Collation c;
        const QLocale locale;
        c.plain = locale.language() == QLocale::C;
        c.collator = QCollator(locale);
        c.collator.setCaseSensitivity(Qt::CaseInsensitive);
        c.collator.setNumericMode(false);
        c.collator.setIgnorePunctuation(false);
        return c;
    }();
    return collation;
}

int Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

} // namespace

SortKey::SortKey(const QString &text)
    : SortKey(text, UpperCase(text))
{
}

SortKey::SortKey(const QString &text, const QString &upper)
    : m_upper(upper)
{
    Collation &collation = CurrentCollation();
    if (!collation.plain)
        m_collated = collation.collator.sortKey(text);
}

int SortKey::Compare(const SortKey &other) const
{
    if (m_collated && other.m_collated) {
        const int result = m_collated->compare(*other.m_collated);
        if (result != 0)
            return Sign(result);
    }
    return Sign(QString::compare(m_upper, other.m_upper, Qt::CaseSensitive));
}

namespace {

bool IsAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The order of the UpperCase forms, made only where it takes more than ASCII.
int CompareUpperCased(QStringView a, QStringView b)
{
    if (IsAscii(a) && IsAscii(b)) {
        const auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
        const qsizetype common = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < common; ++i) {
            const char16_t x = upper(a.at(i).unicode());
            const char16_t y = upper(b.at(i).unicode());
            if (x != y)
                return x < y ? -1 : 1;
        }
        return Sign(int(a.size() > b.size()) - int(a.size() < b.size()));
    }
    return Sign(QString::compare(UpperCase(a.toString()), UpperCase(b.toString()), Qt::CaseSensitive));
}

} // namespace

int CompareText(QStringView a, QStringView b)
{
    Collation &collation = CurrentCollation();
    if (!collation.plain) {
        const int result = collation.collator.compare(a, b);
        if (result != 0)
            return Sign(result);
    }
    return CompareUpperCased(a, b);
}

int CompareText(const QString &a, const QString &upperA, const QString &b, const QString &upperB)
{
    // The collator orders two texts as their sort keys do.
    Collation &collation = CurrentCollation();
    if (!collation.plain) {
        const int result = collation.collator.compare(a, b);
        if (result != 0)
            return Sign(result);
    }
    return Sign(QString::compare(upperA, upperB, Qt::CaseSensitive));
}

} // namespace kelvarin
