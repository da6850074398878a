#include "model/TextRules.h"

#include <QCollator>
#include <QLocale>

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
    // upper-cased directly. Anything else goes through the locale, and where
    // the locale would change the length ("ß" → "SS") each character is
    // upper-cased on its own.
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        QString result = text;
        QChar *data = result.data();
        for (qsizetype i = 0; i < result.size(); ++i) {
            const char16_t u = data[i].unicode();
            if (u >= 'a' && u <= 'z')
                data[i] = QChar(u - 32);
        }
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

namespace {

QCollator &Collator()
{
    // One collator per thread; it follows the default locale at first use.
    thread_local QCollator collator = [] {
        QCollator c{QLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return collator;
}

} // namespace

int CompareText(QStringView a, QStringView b)
{
    const int r = Collator().compare(a, b);
    if (r != 0)
        return r;
    // Texts the collator deems equal but that differ in letters (accents it
    // ignores at this strength) still need a stable, total order.
    const int tie = QString::compare(UpperCase(a.toString()), UpperCase(b.toString()),
                                     Qt::CaseSensitive);
    return tie < 0 ? -1 : (tie > 0 ? 1 : 0);
}

} // namespace kelvarin
