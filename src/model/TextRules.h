#pragma once

#include <QByteArray>
#include <QCollatorSortKey>
#include <QString>
#include <QStringView>

#include <optional>

namespace kelvarin {

// Removes every character with a code of 32 or less from both ends (not the
// same as QString::trimmed, which knows other white space and misses controls).
QString Trim(const QString &text);

// Upper-cases by the user's locale, character by character, so the result
// always has the length of the input: positions found in the upper-cased copy
// are used in the original. Used for every case-insensitive equality.
QString UpperCase(const QString &text);

// A text's place in the locale's case-insensitive order, computed once so
// that sorting many texts compares prepared keys instead of collating the
// texts again on every comparison. Texts the collation deems equal are
// ordered by their upper-cased form, so only texts equal ignoring case
// compare equal.
class SortKey
{
public:
    SortKey() = default;
    explicit SortKey(const QString &text);
    // With the text's UpperCase form already at hand.
    SortKey(const QString &text, const QString &upper);
    int Compare(const SortKey &other) const;

private:
    std::optional<QCollatorSortKey> m_collated;   // with a real locale
    QString m_upper;                              // the whole order in the C locale
};

// The locale's case-insensitive order, used by every sorted list and the tree
// sort. Negative, zero or positive.
int CompareText(QStringView a, QStringView b);
// The same order, for texts whose UpperCase forms are at hand. It makes no
// sort key: where a text is compared only a few times (the tree sort), a
// direct comparison costs a fraction of making its key.
int CompareText(const QString &a, const QString &upperA, const QString &b, const QString &upperB);

// The letters a name may hold: ASCII only (what the program creates), or
// also those of Latin-1 (what the 8-bit state files can hold unchanged).
enum class NameLetters { Ascii, Latin1 };

// True when text can name a class or a package: letters, ASCII digits and
// "_", not starting with a digit. Such a name is one path component and
// holds no line break and none of the separators of the model's entries
// ("=", "&").
bool IsIdentifier(QStringView text, NameLetters letters = NameLetters::Ascii);

// Case-insensitive equality (both sides upper-cased).
inline bool SameText(const QString &a, const QString &b)
{
    return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

} // namespace kelvarin
