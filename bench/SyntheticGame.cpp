#include "SyntheticGame.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

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

} // namespace

int WriteSyntheticGame(const QString &nativeDir, const SyntheticGameShape &shape)
{
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
        if (p % 3 == 1)
            WriteFile(nativeDir + QLatin1String("/System/") + package + QLatin1String(".int"),
                      "[Public]\r\nObject=(Name=" + package.toLatin1() + ".Thing,Class=Class)\r\n");
    }
    QByteArray ini = "[URL]\r\nProtocol=unreal\r\n\r\n[Editor.EditorEngine]\r\nGridEnabled=True\r\n";
    for (const QString &package : packageNames)
        ini += "EditPackages=" + package.toLatin1() + "\r\n";
    ini += "\r\n[Core.System]\r\nPurgeCacheDays=30\r\n";
    WriteFile(nativeDir + QLatin1String("/System/UnrealTournament.ini"), ini);
    return written;
}

QString WriteGameFromArguments(const QStringList &args, QTemporaryDir &temp, SyntheticGameShape &shape,
                               int &classes)
{
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
