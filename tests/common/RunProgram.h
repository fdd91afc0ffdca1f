#pragma once
#include <QProcess>
#include <QStringList>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// One run of the built program, end to end.
struct TProgramRun {
    int code = -1; // the exit code; -1 when the process crashed or had to be killed
    std::string out;
    std::string err;
};

// Runs VISTREL_BINARY headless (offscreen, no leak report) with args and input on standard input.
// env changes the environment after that: a value sets a variable, nullopt removes it.
inline TProgramRun RunVistrel(const QStringList& args, const std::string& input = {},
                              const std::vector<std::pair<QString, std::optional<QString>>>& env = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ASAN_OPTIONS", "detect_leaks=0");
    for (const auto& [name, value] : env) {
        if (value)
            environment.insert(name, *value);
        else
            environment.remove(name);
    }
    process.setProcessEnvironment(environment);
    process.start(VISTREL_BINARY, args);
    TProgramRun run;
    if (!process.waitForStarted(30000)) return run;
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.code = process.exitCode();
    }
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}
