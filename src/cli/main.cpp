#include "cli/CliRunner.h"
#include "platform/SystemRegistry.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kelvarin"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const std::unique_ptr<kelvarin::Registry> registry = kelvarin::OpenSystemRegistry();
    return kelvarin::CliRunner::Run(app.arguments().mid(1), *registry, out, err, true);
}
