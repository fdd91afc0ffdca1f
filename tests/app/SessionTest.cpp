#include "platform/IniFile32.h"
#include "tests/common/RunProgram.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

namespace {

// True once the process has a handler for the signal (its SigCgt mask in /proc).
bool Catches(qint64 pid, int signal)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
    return false;
}

// Starts the program on a home folder, ends it with the signal as a session manager would, and
// returns its exit code.
int RunSession(const std::string& home, int signal, const QStringList& files = {})
{
    QProcess process;
    StartProgram(process, VISTREL_BINARY, QStringList{"--home", Q(home)} + files);
    if (!process.waitForStarted(30000)) return -100;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Catches(process.processId(), signal) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(static_cast<pid_t>(process.processId()), signal);
    if (!process.waitForFinished(60000)) {
        process.kill();
        return -101;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -102;
}

TEST(Session, TermAndIntCloseTheWindowSoThatTheSettingsAreWritten)
{
    TTempDir home;
    // The broken file's error box is open when the session ends.
    std::ofstream(home.File("broken.bmp")) << "BM";
    ASSERT_EQ(RunSession(home.Path(), SIGTERM, {Q(home.File("broken.bmp"))}), 0);
    const std::string ini = home.File("vistrel.ini");
    EXPECT_EQ(TIniFile32(ini).ReadString("Settings", "lastDir", ""), home.Path());
    EXPECT_EQ(TIniFile32(ini).ReadString("VistrelF", "State", ""), "0");
    EXPECT_EQ(TIniFile32(ini).ReadInteger("VistrelF", "Width", 0), 696);

    TIniFile32(ini).WriteInteger("VistrelF", "Width", 555);
    ASSERT_EQ(RunSession(home.Path(), SIGINT), 0);
    EXPECT_EQ(TIniFile32(ini).ReadInteger("VistrelF", "Width", 0), 555);
    EXPECT_TRUE(std::ifstream(home.File("directories.txt")).good());
}

} // namespace
