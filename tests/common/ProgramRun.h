#pragma once
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "tests/common/TestFiles.h"

// One headless run of the built program: its exit status and what it wrote to each stream.
struct TProgramRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

inline std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// args are passed through the shell as written; quote file names with ShellQuote.
inline TProgramRun RunVistrel(const std::string& args)
{
    TTempDir scratch;
    const std::string errFile = scratch.File("stderr.txt");
    const std::string command = std::string("QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ") +
                                VISTREL_BINARY + " " + args + " 2>" + ShellQuote(errFile) + " </dev/null";
    TProgramRun run;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.Out.append(buffer, n);
        const int rc = pclose(pipe);
        run.Status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    run.Err = ReadWholeFile(errFile);
    return run;
}
