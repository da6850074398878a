#include "SyntheticGame.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace kelvarin::bench {

namespace {

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray Body(const QString &name, std::mt19937 &rng)
{
    // A few hundred bytes to a few kilobytes of plausible code, so reading
    // costs what real sources cost.
    QByteArray body;
    const int functions = int(rng() % 12);
    for (int v = 0; v < 4 + int(rng() % 8); ++v)
        body += "var() int " + name.toLatin1() + "Value" + QByteArray::number(v) + ";\r\n";
    for (int f = 0; f < functions; ++f) {
        body += "\r\nfunction Do" + QByteArray::number(f) + "(int Amount)\r\n{\r\n";
        for (int l = 0; l < 3 + int(rng() % 15); ++l)
            body += "\tif (Amount > " + QByteArray::number(l) + ") Amount -= 1; // step\r\n";
        body += "}\r\n";
    }
    body += "\r\ndefaultproperties\r\n{\r\n\tbHidden=True\r\n}\r\n";
    return body;
}

// A size in bytes spread as the stock sources are: log-normal with a median
// of 1.2 KB and a mean of about 3.4 KB (mean / median = exp(sigma^2 / 2)).
int GameSourceSize(std::mt19937 &rng)
{
    std::lognormal_distribution<double> spread(std::log(1200.0), 1.44);
    return int(std::clamp(spread(rng), 200.0, 160000.0));
}

QByteArray GameHeader(const QByteArray &name, std::mt19937 &rng)
{
    QByteArray header;
    if (rng() % 10 != 0) {
        // Five short lines: the class line stays within the first 210 bytes.
        const QByteArray rule = "//" + QByteArray(24, '=') + "\r\n";
        header = rule + "// " + name + ".\r\n// Written for the game.\r\n// (c) 1999 \xA9 Vexa\r\n" + rule;
    } else {
        // A long one: licence text, history, notes; 6 to 40 lines.
        const QByteArray rule = "//" + QByteArray(77, '=') + "\r\n";
        const int lines = 6 + int(rng() % 35);
        header = rule + "// " + name + ".\r\n";
        for (int l = 2; l < lines - 1; ++l)
            header += "// Revision " + QByteArray::number(l) + ": moved the timers into the state code, "
                      "and the skins into the defaults.\r\n";
        header += rule;
    }
    return header;
}

QByteArray GameExecLine(const QByteArray &name, int n, std::mt19937 &rng)
{
    const QByteArray number = QByteArray::number(n);
    switch (rng() % 4) {
    case 0:
        return "#exec TEXTURE IMPORT NAME=" + name + "Skin" + number + " FILE=Textures\\" + name + "Skin" + number
               + ".pcx GROUP=Skins FLAGS=2\r\n";
    case 1:
        return "#exec MESH SEQUENCE MESH=" + name + " SEQ=Anim" + number + " STARTFRAME=" + QByteArray::number(n * 10)
               + " NUMFRAMES=10 RATE=15\r\n";
    case 2:
        return "#exec AUDIO IMPORT FILE=\"Sounds\\" + name + number + ".wav\" NAME=\"" + name + number
               + "\" GROUP=\"" + name + "\"\r\n";
    default:
        return "#exec MESHMAP SETTEXTURE MESHMAP=" + name + " NUM=" + number + " TEXTURE=" + name + "Skin" + number
               + "\r\n";
    }
}

QByteArray GameDefault(const QByteArray &name, int n, std::mt19937 &rng)
{
    const QByteArray number = QByteArray::number(n);
    switch (rng() % 6) {
    case 0:
        return "     MultiSkins(" + QByteArray::number(n % 8) + ")=Texture'" + name + "Skin" + number + "'\r\n";
    case 1:
        return "     Prop" + number + "=" + QByteArray::number(int(rng() % 5000)) + ".000000\r\n";
    case 2:
        return "     Sound" + number + "=Sound'" + name + "." + name + number + "'\r\n";
    case 3:
        return "     Message" + number + "=\"You picked up the " + name + " number " + number + ".\"\r\n";
    case 4:
        return "     bFlag" + number + "=True\r\n";
    default:
        return "     Offset" + number + "=(X=" + QByteArray::number(int(rng() % 64)) + ".000000,Y=-"
               + QByteArray::number(int(rng() % 64)) + ".000000,Z=0.000000)\r\n";
    }
}

// The whole text of a game-shaped source: header, class line, #exec lines,
// variables, functions, and a long defaultproperties block, about size bytes.
QByteArray GameSource(const QByteArray &name, const QByteArray &parent, int size, std::mt19937 &rng)
{
    QByteArray text = GameHeader(name, rng);
    if (parent.isEmpty())
        text += "class " + name + "\r\n\tnative;\r\n\r\n";
    else if (rng() % 5 == 0)
        text += "class " + name + " expands " + parent + "\r\n\tconfig(User)\r\n\tabstract;\r\n\r\n";
    else
        text += "class " + name + " extends " + parent + ";\r\n\r\n";
    if (rng() % 4 == 0) {
        // Meshes, textures and sounds: many lines in the big files.
        const int execs = 1 + int(rng() % std::max(1, size / 400));
        for (int e = 0; e < execs; ++e)
            text += GameExecLine(name, e, rng);
        text += "\r\n";
    }
    // Code up to about half of the size, the defaults fill the rest.
    const int codeEnd = text.size() + (size - text.size()) / 2;
    for (int v = 0; text.size() < codeEnd && v < 3 + int(rng() % 10); ++v)
        text += "var() config float " + name + "Rate" + QByteArray::number(v) + ";\r\n";
    for (int f = 0; text.size() < codeEnd; ++f) {
        text += "\r\nsimulated function Step" + QByteArray::number(f) + "(float DeltaTime)\r\n{\r\n"
                "\tlocal int i;\r\n\r\n";
        for (int l = 0; l < 2 + int(rng() % 20) && text.size() < codeEnd; ++l)
            text += "\tif ( DeltaTime > " + QByteArray::number(l) + " ) // settle the rate\r\n"
                    "\t\tRate" + QByteArray::number(l) + " = FMin(Rate" + QByteArray::number(l) + ", DeltaTime);\r\n";
        text += "}\r\n";
    }
    text += "\r\ndefaultproperties\r\n{\r\n";
    for (int d = 0; text.size() < size - 3; ++d)
        text += GameDefault(name, d, rng);
    text += "}\r\n";
    return text;
}

// Every third package has a .int file.
void WriteIntFile(const QString &nativeDir, int p, const QString &package)
{
    if (p % 3 == 1)
        WriteFile(nativeDir + QLatin1String("/System/") + package + QLatin1String(".int"),
                  "[Public]\r\nObject=(Name=" + package.toLatin1() + ".Thing,Class=Class)\r\n");
}

// The game's ini, listing every package in EditPackages.
void WriteIni(const QString &nativeDir, const QStringList &packageNames)
{
    QByteArray ini = "[URL]\r\nProtocol=unreal\r\n\r\n[Editor.EditorEngine]\r\nGridEnabled=True\r\n";
    for (const QString &package : packageNames)
        ini += "EditPackages=" + package.toLatin1() + "\r\n";
    ini += "\r\n[Core.System]\r\nPurgeCacheDays=30\r\n";
    WriteFile(nativeDir + QLatin1String("/System/UnrealTournament.ini"), ini);
}

// The game-shaped tree: the parent of most classes is one of the last few of
// their own package, which makes chains deeper than the plain shape's.
int WriteGameShapedGame(const QString &nativeDir, const SyntheticGameShape &shape)
{
    static const char *const words[] = {"Weapon", "Pickup", "Effect", "Projectile", "Bot", "Mutator",
                                        "Trigger", "Decoration", "Info", "Menu", "Hud", "Light",
                                        "Mover", "Zone", "Ammo", "Armor"};
    std::mt19937 rng(shape.seed);
    QDir().mkpath(nativeDir + QLatin1String("/System"));
    QStringList packageNames;
    std::vector<std::pair<QByteArray, int>> known;
    int written = 0;
    for (int p = 0; p < shape.packages; ++p) {
        const QString package = p == 0 ? QStringLiteral("Core") : QStringLiteral("Pkg%1").arg(p, 2, 10, QLatin1Char('0'));
        packageNames.append(package);
        const QString classesDir = nativeDir + QLatin1Char('/') + package + QLatin1String("/Classes");
        QDir().mkpath(classesDir);
        const size_t packageStart = known.size();
        for (int c = 0; c < shape.classesPerPackage; ++c) {
            QByteArray name;
            QByteArray parent;
            int depth = 1;
            if (p == 0 && c == 0) {
                name = "Object";
            } else {
                // The word first, so file names do not sort in the order of
                // the hierarchy.
                name = words[rng() % 16] + package.toLatin1() + "_" + QByteArray::number(c);
                const size_t own = known.size() - packageStart;
                const auto &candidate = own > 0 && rng() % 10 < 6
                                            ? known[known.size() - 1 - rng() % std::min<size_t>(own, 5)]
                                            : known[rng() % known.size()];
                parent = candidate.first;
                depth = candidate.second + 1;
                if (depth > 40) {
                    parent = "Object";
                    depth = 2;
                }
            }
            known.emplace_back(name, depth);
            WriteFile(classesDir + QLatin1Char('/') + QString::fromLatin1(name) + QLatin1String(".uc"),
                      GameSource(name, parent, GameSourceSize(rng), rng));
            ++written;
        }
        WriteIntFile(nativeDir, p, package);
    }
    WriteIni(nativeDir, packageNames);
    return written;
}

} // namespace

int WriteSyntheticGame(const QString &nativeDir, const SyntheticGameShape &shape)
{
    if (shape.gameShaped)
        return WriteGameShapedGame(nativeDir, shape);
    std::mt19937 rng(shape.seed);
    QDir().mkpath(nativeDir + QLatin1String("/System"));
    QStringList packageNames;
    // Every class defined so far, with its depth, as possible parents.
    std::vector<std::pair<QString, int>> known;
    int written = 0;
    for (int p = 0; p < shape.packages; ++p) {
        const QString package = p == 0 ? QStringLiteral("Core") : QStringLiteral("Pkg%1").arg(p, 2, 10, QLatin1Char('0'));
        packageNames.append(package);
        const QString classesDir = nativeDir + QLatin1Char('/') + package + QLatin1String("/Classes");
        QDir().mkpath(classesDir);
        for (int c = 0; c < shape.classesPerPackage; ++c) {
            QString name;
            QString parent;
            int depth = 1;
            if (p == 0 && c == 0) {
                name = QStringLiteral("Object");
            } else {
                name = QStringLiteral("%1Class%2").arg(package).arg(c, 3, 10, QLatin1Char('0'));
                // Prefer parents of moderate depth so hierarchies reach 4 to 10
                // levels while many classes share a parent.
                for (int attempt = 0; attempt < 8; ++attempt) {
                    const auto &candidate = known[rng() % known.size()];
                    parent = candidate.first;
                    depth = candidate.second + 1;
                    if (depth <= 10 && (depth >= 4 || rng() % 3 == 0))
                        break;
                }
                if (depth > 10) {
                    parent = QStringLiteral("Object");
                    depth = 2;
                }
            }
            known.emplace_back(name, depth);
            QByteArray text = "//=============================================================================\r\n"
                              "// " + name.toLatin1() + ".\r\n"
                              "// Generated for benchmarks.\r\n"
                              "//=============================================================================\r\n";
            if (parent.isEmpty())
                text += "class " + name.toLatin1() + "\r\n\tnative;\r\n\r\n";
            else if (rng() % 4 == 0)
                text += "class " + name.toLatin1() + " expands " + parent.toLatin1() + "\r\n\tnative\r\n\tabstract;\r\n\r\n";
            else
                text += "class " + name.toLatin1() + " extends " + parent.toLatin1() + ";\r\n\r\n";
            text += Body(name, rng);
            WriteFile(classesDir + QLatin1Char('/') + name + QLatin1String(".uc"), text);
            ++written;
        }
        WriteIntFile(nativeDir, p, package);
    }
    WriteIni(nativeDir, packageNames);
    return written;
}

QString WriteGameFromArguments(const QStringList &given, QTemporaryDir &temp, SyntheticGameShape &shape,
                               int &classes)
{
    QStringList args = given;
    if (args.removeAll(QStringLiteral("--game-shaped")) > 0)
        shape.gameShaped = true;
    if (args.size() > 1)
        shape.packages = args.at(1).toInt();
    if (args.size() > 2)
        shape.classesPerPackage = args.at(2).toInt();
    const QString dir = args.size() > 3 ? args.at(3) : temp.path();
    if (shape.packages == 0 && args.size() > 3) {
        // "0 0 DIR": a game that is there already (the sample, a real one).
        classes = 0;
        QDirIterator sources(dir, {QStringLiteral("*.uc")}, QDir::Files, QDirIterator::Subdirectories);
        for (; sources.hasNext(); sources.next())
            ++classes;
        return dir;
    }
    classes = WriteSyntheticGame(dir, shape);
    return dir;
}

} // namespace kelvarin::bench
