#include "FormsTestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <fstream>
#include <sstream>

namespace qs::forms::test {

bool writeSampleCollection(const QString& folder) {
    const QString bin =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("QS_BIN_DIR"));
    QProcess writer;
    writer.start(bin + QStringLiteral("/quillsift-samples"), {folder});
    return writer.waitForFinished(60000) && writer.exitStatus() == QProcess::NormalExit &&
           writer.exitCode() == 0;
}

QString cliReport(const QStringList& args) {
    const QString bin =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("QS_BIN_DIR"));
    QProcess cli;
    cli.start(bin + QStringLiteral("/quillsift-cli"), QStringList{QStringLiteral("-q")} + args);
    cli.waitForFinished(60000);
    return QString::fromUtf8(cli.readAllStandardOutput());
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace qs::forms::test
