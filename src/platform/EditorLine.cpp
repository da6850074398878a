#include "platform/EditorLine.h"

#include <algorithm>

namespace kelvarin::EditorLine {

Style StyleOf(const QString &program)
{
    QString name = program.mid(std::max(program.lastIndexOf(QLatin1Char('/')), program.lastIndexOf(QLatin1Char('\\'))) + 1)
                       .toLower();
    if (name.endsWith(QLatin1String(".exe")))
        name.chop(4);
    static const QStringList plusLine{
        QStringLiteral("gedit"), QStringLiteral("gnome-text-editor"), QStringLiteral("kate"),
        QStringLiteral("kwrite"), QStringLiteral("mousepad"), QStringLiteral("xed"),
        QStringLiteral("pluma"), QStringLiteral("vim"), QStringLiteral("emacs"), QStringLiteral("nano")};
    if (plusLine.contains(name))
        return Style::PlusLine;
    if (name == QLatin1String("code"))
        return Style::GotoFileLine;
    return Style::None;
}

bool PlaceLine(QStringList &words, int line)
{
    const QString number = QString::number(line > 0 ? line : 1);
    bool placed = false;
    for (QString &word : words) {
        if (word.contains(QLatin1String("%2"))) {
            word.replace(QLatin1String("%2"), number);
            placed = true;
        }
    }
    return placed;
}

QStringList WithLine(const QString &program, const QStringList &arguments, const QString &file, int line)
{
    if (line <= 0)
        return arguments;
    const qsizetype at = arguments.indexOf(file);
    if (at < 0)
        return arguments;
    QStringList result = arguments;
    switch (StyleOf(program)) {
    case Style::PlusLine:
        result.insert(at, QLatin1Char('+') + QString::number(line));
        break;
    case Style::GotoFileLine:
        result[at] = file + QLatin1Char(':') + QString::number(line);
        result.insert(at, QStringLiteral("-g"));
        break;
    case Style::None:
        break;
    }
    return result;
}

} // namespace kelvarin::EditorLine
