#include "UccMake.h"

#include "SourceChecker.h"
#include "StandinPackage.h"
#include "UccKnobs.h"

#include "model/EditPackagesFile.h"
#include "model/TextRules.h"
#include "platform/SpecPath.h"
#include "platform/StagedFile.h"
#include "platform/TextFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <optional>

namespace kelvarin::Standin {

namespace {

const QLatin1String kSection("[EDITOR.EDITORENGINE]");

// The log: every line goes to the file with CR LF, flushed at once (a reader
// sees how far a long or killed run got), and to standard output.
class MakeLog
{
public:
    explicit MakeLog(const QString &nativePath) : m_file(nativePath)
    {
        m_open = !QFileInfo(nativePath).isDir() && m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }

    bool IsOpen() const { return m_open; }

    void Line(const QString &text)
    {
        if (m_open) {
            m_file.write(text.toLatin1() + "\r\n");
            m_file.flush();
        }
        std::fputs(text.toLocal8Bit().constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

private:
    QFile m_file;
    bool m_open = false;
};

// The argument's value after "name=" or "-name=" (either case), if it is one.
std::optional<QString> Option(const QString &argument, QLatin1String name)
{
    QString text = argument;
    if (text.startsWith(QLatin1Char('-')))
        text.remove(0, 1);
    if (text.size() > name.size() && text.at(name.size()) == QLatin1Char('=')
        && text.left(name.size()).compare(name, Qt::CaseInsensitive) == 0)
        return text.mid(name.size() + 1);
    return std::nullopt;
}

// The EditPackages values of the first [Editor.EditorEngine] section, or an
// error text.
bool ReadEditPackages(const QString &iniPath, QStringList &packages, QString &error)
{
    const QString native = SpecPath::ToNative(iniPath);
    const std::optional<QString> text = QFileInfo(native).isDir() ? std::nullopt : TextFile::ReadAll(iniPath);
    if (!text) {
        error = QStringLiteral("Cannot open file %1").arg(QDir::toNativeSeparators(native));
        return false;
    }
    const QStringList lines = TextFile::SplitLines(*text);
    qsizetype at = 0;
    while (at < lines.size()) {
        const QString stripped = Trim(lines.at(at));
        if (stripped.startsWith(QLatin1Char('[')) && UpperCase(stripped) == kSection)
            break;
        ++at;
    }
    if (at == lines.size()) {
        error = QStringLiteral("Unable to locate [Editor.EditorEngine] section in %1")
                    .arg(QDir::toNativeSeparators(native));
        return false;
    }
    for (++at; at < lines.size(); ++at) {
        const QString stripped = Trim(lines.at(at));
        if (stripped.startsWith(QLatin1Char('[')))
            break;
        QString value;
        if (EditPackagesFile::IsEditPackagesLine(stripped, &value) && !Trim(value).isEmpty())
            packages.append(Trim(value));
    }
    return true;
}

// The package's sources: files matching ..\P\Classes\*.uc without regard to
// case, as the game's directory search finds them, in name order.
QStringList SourceFiles(const QString &classesDir)
{
    QDir dir(SpecPath::ToNative(classesDir));
    QStringList files;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : names)
        if (name.size() > 3 && name.endsWith(QLatin1String(".uc"), Qt::CaseInsensitive))
            files.append(name);
    return files;
}

QString ClassOfFile(const QString &fileName)
{
    return fileName.left(fileName.size() - 3);
}

class Make
{
public:
    Make(const UccKnobs &knobs, MakeLog &log) : m_knobs(knobs), m_log(log) {}

    int Run(const QStringList &packages)
    {
        QSet<QString> seen;
        for (const QString &package : packages) {
            const QString upper = UpperCase(package);
            if (seen.contains(upper))
                continue;   // listed twice: the first entry did the work
            seen.insert(upper);
            m_log.Line(QStringLiteral("Heading: --------------------%1--------------------").arg(package));
            if (!Package(package))
                return Abort();
        }
        m_log.Line(QStringLiteral("Log: Success - 0 error(s), %1 warnings").arg(m_warnings));
        return 0;
    }

    int Abort()
    {
        m_log.Line(QStringLiteral("Log: Compile aborted due to errors."));
        return 1;
    }

    void Error(const QString &text) { m_log.Line(QStringLiteral("Error: ") + text); }

private:
    // False when the package has errors.
    bool Package(const QString &package)
    {
        if (!SpecPath::IsSafeComponent(package) || package.contains(QLatin1Char('*'))
            || package.contains(QLatin1Char('?'))) {
            Error(QStringLiteral("'%1' is not a package name").arg(package));
            return false;
        }
        const QString classesDir = QStringLiteral("..\\") + package + QStringLiteral("\\Classes");
        const QString uPath = SpecPath::ToNative(package + QStringLiteral(".u"));
        const QStringList files = SourceFiles(classesDir);

        if (QFileInfo(uPath).isFile()) {
            Remember(package, uPath, files);
            return true;
        }

        SleepMs(m_knobs.delayMs);
        if (files.isEmpty()) {
            Error(QStringLiteral("No source files found for package %1 in %2\\*.uc").arg(package, classesDir));
            return false;
        }

        QSet<QString> ownClasses;
        for (const QString &file : files)
            ownClasses.insert(UpperCase(ClassOfFile(file)));

        StandinPackage packed;
        packed.name = package;
        int errors = 0;
        for (const QString &file : files) {
            const QString specFile = classesDir + QLatin1Char('\\') + file;
            const QString fileClass = ClassOfFile(file);
            auto fault = [&](int line, const QString &text) {
                Error(QStringLiteral("%1(%2) : Error, %3").arg(specFile).arg(line).arg(text));
                ++errors;
            };
            QFile source(SpecPath::ToNative(specFile));
            if (!source.open(QIODevice::ReadOnly)) {
                fault(1, QStringLiteral("Unable to read the file"));
                continue;
            }
            const QByteArray bytes = source.readAll();
            const SourceReport report = CheckSource(TextFile::Decode(bytes));
            for (const SourceFault &sourceFault : report.faults)
                fault(sourceFault.line, sourceFault.text);
            if (!report.className.isEmpty() && report.className != fileClass) {
                if (SameText(report.className, fileClass)) {
                    m_log.Line(QStringLiteral("ExecWarning: %1(%2) : Warning, Class name %3 differs in case from the file name %4")
                                   .arg(specFile).arg(report.declarationLine).arg(report.className, file));
                    ++m_warnings;
                } else {
                    fault(report.declarationLine,
                          QStringLiteral("Class name %1 does not match the file name %2").arg(report.className, file));
                }
            }
            const QString parentUpper = UpperCase(report.parent);
            if (!report.className.isEmpty() && !report.parent.isEmpty() && !m_anyParent
                && !m_known.contains(parentUpper) && !ownClasses.contains(parentUpper)) {
                fault(report.declarationLine, QStringLiteral("Superclass %1 of class %2 not found")
                                                  .arg(report.parent, report.className));
            }
            packed.classes.append(PackedClass{fileClass, report.parent, bytes});
        }
        if (errors > 0)
            return false;

        const QByteArray container = SerializePackage(packed);
        MaybeFailMidWrite(m_knobs, uPath, container, true);
        if (QFileInfo(uPath).isDir() || !StagedFile::WriteFile(uPath, container)) {
            Error(QStringLiteral("Unable to write %1").arg(QDir::toNativeSeparators(uPath)));
            return false;
        }
        m_known.unite(ownClasses);
        return true;
    }

    // A package that is already compiled: its classes are known from its
    // sources, or from our .u when it has none. A .u we cannot read (the
    // game's own) hides what it holds, so from then on any parent may exist.
    void Remember(const QString &, const QString &uPath, const QStringList &files)
    {
        if (!files.isEmpty()) {
            for (const QString &file : files)
                m_known.insert(UpperCase(ClassOfFile(file)));
            return;
        }
        StandinPackage packed;
        if (ReadPackage(uPath, &packed) == PackageKind::Standin) {
            for (const PackedClass &packedClass : packed.classes)
                m_known.insert(UpperCase(packedClass.name));
        } else {
            m_anyParent = true;
        }
    }

    const UccKnobs &m_knobs;
    MakeLog &m_log;
    QSet<QString> m_known;
    bool m_anyParent = false;
    int m_warnings = 0;
};

} // namespace

int RunMake(const QStringList &arguments, const UccKnobs &knobs)
{
    QString logName = QStringLiteral("UCC.log");
    QString iniPath = QStringLiteral("UnrealTournament.ini");
    for (const QString &argument : arguments) {
        if (const auto value = Option(argument, QLatin1String("log")); value && !value->isEmpty())
            logName = *value;
        else if (const auto ini = Option(argument, QLatin1String("ini")); ini && !ini->isEmpty())
            iniPath = *ini;
    }

    MakeLog log(SpecPath::ToNative(logName));
    if (!log.IsOpen())
        std::fprintf(stderr, "Unable to open the log %s\n", qPrintable(logName));
    log.Line(QStringLiteral("Log: Log file open, ")
             + QDateTime::currentDateTime().toString(QStringLiteral("MM/dd/yy HH:mm:ss")));
    if (knobs.hang)
        HangForever();

    Make make(knobs, log);
    QStringList packages;
    QString error;
    if (!ReadEditPackages(iniPath, packages, error)) {
        make.Error(error);
        return make.Abort();
    }
    const int code = make.Run(packages);
    // Without a log the caller cannot tell what happened: never report success.
    return log.IsOpen() ? code : 1;
}

} // namespace kelvarin::Standin
