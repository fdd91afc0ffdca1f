#pragma once
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// One run of the built program (or of a tool the tests compare it with), end to end.
struct TProgramRun {
    int code = -1; // the exit code; -1 when the process did not start, crashed or had to be killed
    std::string out;
    std::string err;
};

// Environment changes: a value sets a variable, nullopt removes it.
using TEnvChanges = std::vector<std::pair<QString, std::optional<QString>>>;

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

// Starts program headless (offscreen, no leak report) in folder (the current one when empty).
inline void StartProgram(QProcess& process, const QString& program, const QStringList& args, const TEnvChanges& env = {},
                         const QString& folder = {})
{
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
    if (!folder.isEmpty()) process.setWorkingDirectory(folder);
    process.start(program, args);
}

// Runs program to its end with input on standard input.
inline TProgramRun RunProgram(const QString& program, const QStringList& args, const std::string& input = {},
                              const TEnvChanges& env = {}, const QString& folder = {})
{
    QProcess process;
    StartProgram(process, program, args, env, folder);
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

// Runs VISTREL_BINARY with args; see RunProgram.
inline TProgramRun RunVistrel(const QStringList& args, const std::string& input = {}, const TEnvChanges& env = {},
                              const QString& folder = {})
{
    return RunProgram(VISTREL_BINARY, args, input, env, folder);
}

// True when every named tool is on the PATH (the cross-tool tests skip without them).
inline bool HaveTools(const QStringList& tools)
{
    for (const QString& tool : tools)
        if (QStandardPaths::findExecutable(tool).isEmpty()) return false;
    return true;
}
