#include "app/OverlayView.h"
#include "app/PasswordDlg.h"
#include "app/QtUiServices.h"
#include "tests/app/WindowFixture.h"
#include "tests/common/RunProgram.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>

#include <cerrno>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TBitmap Picture(int width, int height)
{
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, RGB(x * 11, y * 7, 90));
    return bitmap;
}

// Saves a picture of that size, encrypted with password when the extension asks for one.
void Save(const std::string& fileName, int width, int height, const std::string& password = {})
{
    TScriptedUi ui;
    TUiScope scope(ui);
    ui.Queue(password);
    TBitmap picture = Picture(width, height);
    ASSERT_TRUE(SaveImageFile(fileName, picture, TImageFileSettings()));
}

std::string LastLine(std::string text)
{
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text.substr(text.find_last_of('\n') + 1);
}

} // namespace

TEST(PasswordWindow, AsksWithStarsAboveOtherWindows)
{
    TPasswordDlg dialog;
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Enter password");
    EXPECT_EQ(dialog.Label->text().toStdString(), "Password");
    EXPECT_EQ(dialog.Password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.Password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, dialog.Password), '*');
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);

    // The window's UI services ask through it: OK gives the typed text, Cancel nothing.
    std::vector<std::string> colors;
    TQtUiServices qt(nullptr, colors);
    for (bool ok : {true, false}) {
        QTimer::singleShot(0, [ok] {
            auto* shown = qobject_cast<TPasswordDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->windowTitle().toStdString(), "Enter password");
            shown->Password->setText("typed");
            ok ? shown->accept() : shown->reject();
        });
        std::string password = "unchanged";
        EXPECT_EQ(qt.AskPassword("Enter password", password), ok);
        EXPECT_EQ(password, ok ? "typed" : "unchanged");
    }
}

using EncryptedWindowTest = WindowFixture;

TEST_F(EncryptedWindowTest, AWrongOrCancelledPasswordKeepsThePictureAndTheOverlay)
{
    EXPECT_EQ(window_->Doc().Cipher.Algorithm(), "Blowfish") << "set up with the window";
    const std::string file = temp_.File("s.xgif");
    Save(file, 20, 10, "gif pw");
    TVistrelDoc& doc = window_->Doc();
    doc.Picture = Picture(5, 5);
    for (const char* answer : {"\x18", "", "not it"}) {
        ui_.Queue(answer);
        EXPECT_FALSE(doc.LoadFile(file));
        ui_.Queue(answer);
        window_->LoadOverlay(file);
    }
    EXPECT_EQ(ui_.Messages("message"), std::vector<std::string>(2, "invalid password"));
    EXPECT_EQ(doc.Picture.Width(), 5);
    EXPECT_TRUE(doc.FileName.empty());
    EXPECT_TRUE(window_->Image2->Picture().Empty());

    ui_.Queue("gif pw");
    EXPECT_TRUE(doc.LoadFile(file));
    EXPECT_EQ(doc.Picture.Width(), 20);
    EXPECT_EQ(doc.FileName, file);
}

// A cancelled password skips its file instead of writing the previous picture under its name.
TEST_F(EncryptedWindowTest, BatchSkipsAFileWhosePasswordIsCancelled)
{
    const std::string photos = temp_.File("photos/"), out = temp_.File("out");
    fs::create_directories(photos);
    fs::create_directories(out);
    Save(photos + "a.bmp", 40, 20);
    Save(photos + "b.xjpg", 40, 40, "pw");
    Save(photos + "c.xpng", 20, 40, "pw");
    Save(photos + "d.xpng", 20, 40, "pw");
    window_->Doc().batchDir = out;
    ui_.Queue("\x18"); // b
    ui_.Queue("pw");   // c
    ui_.Queue("wrong"); // d
    window_->Doc().BatchNow({photos + "a.bmp", photos + "b.xjpg", photos + "c.xpng", photos + "d.xpng"});
    EXPECT_TRUE(fs::exists(out + "/a.jpg"));
    EXPECT_FALSE(fs::exists(out + "/b.jpg"));
    EXPECT_TRUE(fs::exists(out + "/c.jpg"));
    EXPECT_FALSE(fs::exists(out + "/d.jpg"));
    EXPECT_TRUE(ui_.Messages("message").empty());
    EXPECT_EQ(ui_.Messages("error"), std::vector<std::string>{photos + "d.xpng: invalid password"});
}

// Every subcommand takes the password from --password, --password-file or a line of standard input;
// a wrong one ends the run with "invalid password" and writes nothing.
TEST(EncryptedCli, PasswordsFromEachSourceAndAWrongOneEndsTheRun)
{
    TTempDir dir;
    const auto F = [&](const char* name) { return Q(dir.File(name)); };
    Save(dir.File("in.bmp"), 30, 15);
    WriteWholeFile(dir.File("s.vek"), "1");
    TProgramRun run = RunVistrel({"convert", F("in.bmp"), F("sealed.xjpg"), "--quality", "90", "--password", "two words"});
    ASSERT_EQ(run.code, 0) << run.err;
    WriteWholeFile(dir.File("pw.txt"), "two words\r\nsecond line\n");
    for (const auto& [args, input] : std::vector<std::pair<QStringList, std::string>>{
             {{"--password-file", F("pw.txt"), "info", F("sealed.xjpg")}, ""},
             {{"info", F("sealed.xjpg")}, "two words\n"},
             {{"info", F("sealed.xjpg"), "--password", "two words"}, ""}}) {
        run = RunVistrel(args, input);
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, "30 15 24\n") << args.join(' ').toStdString();
    }

    const QStringList wrong = {"--password", "wrong"};
    for (const QStringList& args : std::vector<QStringList>{
             {"info", F("sealed.xjpg")},
             {"convert", F("sealed.xjpg"), F("out.png")},
             {"fx", F("sealed.xjpg"), F("out.png"), "GrayScale"},
             {"stamp", F("sealed.xjpg"), F("out.png"), "Shape=vstCircle"},
             {"gif", F("sealed.xjpg"), F("out.gif")},
             {"run", F("s.vek"), F("sealed.xjpg")},
             {"batch", "--width", "20", "--format", "png", "--out", F("batch"), F("sealed.xjpg")}}) {
        run = RunVistrel(args + wrong);
        EXPECT_EQ(run.code, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(LastLine(run.err).ends_with("invalid password")) << args.join(' ').toStdString() << "\n" << run.err;
    }
    EXPECT_FALSE(fs::exists(dir.File("out.png")));
    EXPECT_FALSE(fs::exists(dir.File("out.gif")));
    EXPECT_FALSE(fs::exists(dir.File("batch/sealed.png")));
    EXPECT_EQ(LastLine(RunVistrel({"info", F("sealed.xjpg"), "--password", "wrong"}).err), "invalid password");

    EXPECT_EQ(RunVistrel({"info", F("sealed.xjpg")}).code, 1) << "no password at all";
    EXPECT_EQ(RunVistrel({"convert", F("in.bmp"), F("none.xpng")}, "\n").code, 1) << "an empty one";
    EXPECT_FALSE(fs::exists(dir.File("none.xpng")));
    EXPECT_EQ(RunVistrel({"info", F("sealed.xjpg"), "--password"}).code, 2);
    EXPECT_EQ(RunVistrel({"--password", "x", F("in.bmp")}).code, 2) << "the window asks for itself";

    // A batch finds the password once for all its files; without one it skips the encrypted files.
    Save(dir.File("sealed2.xpng"), 8, 8, "two words");
    run = RunVistrel({"batch", "--width", "10", "--format", "bmp", "--out", F("batch"), "--jobs", "2", F("sealed.xjpg"),
                      F("in.bmp"), F("sealed2.xpng")},
                     "two words\n");
    EXPECT_EQ(run.code, 0) << run.err;
    const std::string out = dir.File("batch/");
    EXPECT_EQ(run.out, out + "sealed.bmp\n" + out + "in.bmp\n" + out + "sealed2.bmp\nBatch completed\n");
    fs::remove_all(dir.File("batch"));
    run = RunVistrel({"batch", "--width", "10", "--format", "bmp", "--out", F("batch"), F("in.bmp"), F("sealed.xjpg")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, out + "in.bmp\nBatch completed\n");
    EXPECT_NE(run.err.find(dir.File("sealed.xjpg") + ": "), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(out + "sealed.bmp"));
}

// Typed at a terminal, the password is read without being shown.
TEST(EncryptedCli, APasswordTypedAtATerminalIsNotShown)
{
    TTempDir dir;
    Save(dir.File("s.xpng"), 7, 3, "hidden words");
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "ASAN_OPTIONS=detect_leaks=0"};
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string file = dir.File("s.xpng");

    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execle(VISTREL_BINARY, VISTREL_BINARY, "info", file.c_str(), static_cast<char*>(nullptr), envp.data());
        _exit(127);
    }
    std::string seen;
    bool typed = false;
    for (;;) {
        pollfd p{terminal, POLLIN, 0};
        if (poll(&p, 1, 60000) <= 0) break;
        char buffer[256];
        const ssize_t n = read(terminal, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // the program ended and closed the terminal
        seen.append(buffer, static_cast<std::size_t>(n));
        if (!typed && seen.find("Enter password: ") != std::string::npos) {
            ASSERT_EQ(write(terminal, "hidden words\n", 13), 13);
            typed = true;
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(terminal);
    EXPECT_TRUE(typed) << seen;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
    EXPECT_NE(seen.find("7 3 24"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("hidden"), std::string::npos) << seen;
}
