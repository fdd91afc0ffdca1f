#include "script/Base64.h"
#include "script/PagedFile.h"
#include "script/ScriptError.h"
#include "script/TextHash.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kUser = "alice";
const std::string kPassword = "secret1";

template <class F>
std::string ErrorOf(F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

std::vector<std::string> AllRecords(TvekPagedFile& f, const std::string& filter = {})
{
    f.SelectRecords(filter, false);
    std::vector<std::string> out;
    for (int i = 0; i < f.RecordCount(); ++i) out.push_back(f.GetRecord(i));
    return out;
}

struct PagedFileTest : ::testing::Test {
    TTempDir dir;
    std::string name = dir.File("data.jpf");
    std::string users = dir.File("data.users");
    void Create(int pageSize = 64) { TvekPagedFile().CreateFile(name, pageSize, kUser, kPassword); }
};

TEST_F(PagedFileTest, CredentialsPageAndCreationMessages)
{
    TvekPagedFile f;
    EXPECT_EQ(ErrorOf([&] { f.CreateFile(name, 64, "abcd", kPassword); }),
              "The length of both UserName and Password must be 5..12 characters.");
    EXPECT_EQ(ErrorOf([&] { f.CreateFile(name, 64, kUser, "1234567890123"); }),
              "The length of both UserName and Password must be 5..12 characters.");
    EXPECT_EQ(ErrorOf([&] { f.CreateFile(name, 63, kUser, kPassword); }), "The page size must be >= 64");
    EXPECT_EQ(ErrorOf([&] { f.OpenFile(name, kUser, kPassword); }), "can not open non existing file: " + name);

    Create(100);
    const std::string bytes = ReadWholeFile(name);
    ASSERT_EQ(bytes.size(), 100u);
    // InUse 0, First 0, Next = the page size, no lock.
    EXPECT_EQ(bytes.substr(0, 12), std::string("\0\0\0\0\x64\0\0\0\0\0\0\0", 12));
    EXPECT_EQ(TvekPagedFile::StringKey("abc"), std::uint32_t(TextHash("abc")));
    f.OpenFile(name, kUser, kPassword);
    std::string body = f.EncryptText(kUser + kPassword);
    body.resize(88, ' ');
    EXPECT_EQ(bytes.substr(12), body);
    EXPECT_EQ(f.DecryptText(body.substr(0, body.find(' '))), kUser + kPassword);
    EXPECT_EQ(f.PageSize(), 100);
    f.CloseFile();
}

TEST_F(PagedFileTest, CipherMatchesTheKeyStreamByHand)
{
    Create();
    TvekPagedFile f;
    f.OpenFile(name, kUser, kPassword);
    // The key stream written out step by step for a two-byte text.
    const std::uint32_t u = TvekPagedFile::StringKey(kUser), w = TvekPagedFile::StringKey(kPassword),
                        a = TvekPagedFile::StringKey("marlpits");
    std::uint32_t k = u;
    const unsigned char c0 = 'h' ^ ((k >> 8) & 0xFF);
    k = (c0 + k) * w + a;
    const unsigned char c1 = 'i' ^ ((k >> 8) & 0xFF);
    EXPECT_EQ(f.EncryptText("hi"), EncodeBase64(std::string{char(c0), char(c1)}));
    EXPECT_EQ(f.DecryptText(f.EncryptText("hi")), "hi");
    EXPECT_EQ(ErrorOf([&] { f.DecryptText("abc"); }), "Base64: Incorrect string format");
}

TEST_F(PagedFileTest, UsersTableSlotsAndWrongPassword)
{
    Create();
    TvekPagedFile wrong;
    EXPECT_EQ(ErrorOf([&] { wrong.OpenFile(name, kUser, "wrongpw"); }), "can not open file: invalid username or password");
    EXPECT_FALSE(std::filesystem::exists(users));

    TvekPagedFile a, b;
    a.OpenFile(name, kUser, kPassword);
    EXPECT_EQ(a.Slot(), 2);
    EXPECT_EQ(ReadWholeFile(users), "0" + std::string("1") + std::string(254, '0'));
    b.OpenFile(name, kUser, kPassword); // a second open in one process is a second user
    EXPECT_EQ(b.Slot(), 3);
    const std::string table = ReadWholeFile(users);
    EXPECT_EQ(ErrorOf([&] { wrong.OpenFile(name, kUser, "wrongpw"); }), "can not open file: invalid username or password");
    EXPECT_EQ(ReadWholeFile(users), table);
    a.CloseFile();
    EXPECT_EQ(ReadWholeFile(users), "00" + std::string("1") + std::string(253, '0'));
    b.CloseFile();
    EXPECT_FALSE(std::filesystem::exists(users));

    std::vector<std::unique_ptr<TvekPagedFile>> many;
    for (int i = 2; i <= 255; ++i) {
        many.push_back(std::make_unique<TvekPagedFile>());
        many.back()->OpenFile(name, kUser, kPassword);
    }
    EXPECT_EQ(ErrorOf([&] { a.OpenFile(name, kUser, kPassword); }), "can not open file: too many users");
}

TEST_F(PagedFileTest, PagesFillExactlyAndFreedPagesAreReusedLowestFirst)
{
    Create(64);
    TvekPagedFile f;
    f.OpenFile(name, kUser, kPassword);
    // 39 bytes encrypt to 52 Base64 characters: one 52-byte body. 40 bytes need 56: two pages.
    f.AppendRecord(std::string(39, 'a'));
    EXPECT_EQ(std::filesystem::file_size(name), 128u);
    f.AppendRecord(std::string(40, 'b'));
    EXPECT_EQ(std::filesystem::file_size(name), 256u);
    f.AppendRecord("c=\"3\"");
    EXPECT_EQ(std::filesystem::file_size(name), 320u);
    EXPECT_EQ(AllRecords(f), (std::vector<std::string>{std::string(39, 'a'), std::string(40, 'b'), "c=\"3\""}));

    f.SelectRecords("", true);
    f.DeleteRecord(1); // frees pages 2 and 3
    const std::string bytes = ReadWholeFile(name);
    EXPECT_EQ(bytes.substr(128, 12), std::string(12, '\0'));
    EXPECT_EQ(bytes.substr(140, 52), std::string(52, ' '));
    f.AppendRecord("x");
    f.AppendRecord(std::string(40, 'y'));
    EXPECT_EQ(std::filesystem::file_size(name), 384u); // page 2 and 3 reused, page 5 new
    const std::string after = ReadWholeFile(name);
    EXPECT_EQ(after[128], 1);
    EXPECT_EQ(after[128 + 1], 1);
    EXPECT_EQ(after[192 + 1], 1); // "y" starts on page 3 ...
    EXPECT_EQ(after.substr(192 + 4, 4), std::string("\x40\x01\0\0", 4)); // ... and goes on at page 5
    EXPECT_EQ(AllRecords(f), (std::vector<std::string>{std::string(39, 'a'), "x", std::string(40, 'y'), "c=\"3\""}));

    // An update that grows takes free pages; one that shrinks frees the rest of its chain.
    f.SelectRecords("", true);
    f.UpdateRecord(1, std::string(100, 'g'));
    EXPECT_EQ(AllRecords(f)[1], std::string(100, 'g'));
    f.SelectRecords("", true);
    f.UpdateRecord(1, "");
    EXPECT_EQ(AllRecords(f)[1], "");
    const std::int64_t size = std::int64_t(std::filesystem::file_size(name));
    f.AppendRecord(std::string(60, 'h'));
    EXPECT_EQ(std::int64_t(std::filesystem::file_size(name)), size); // the freed pages took it
}

TEST_F(PagedFileTest, SelectFindSortAndTheirMessages)
{
    Create(128);
    TvekPagedFile f;
    EXPECT_EQ(ErrorOf([&] { f.SelectRecords("", false); }), "can not get records because file is not open");
    EXPECT_EQ(ErrorOf([&] { f.GetRecord(0); }), "can not get record because file is not open");
    EXPECT_EQ(ErrorOf([&] { f.UpdateRecord(0, ""); }), "can not set record because file is not open");
    EXPECT_EQ(ErrorOf([&] { f.AppendRecord(""); }), "can not append record because file is not open");
    EXPECT_EQ(ErrorOf([&] { f.DeleteRecord(0); }), "can not delete record because file is not open");
    EXPECT_EQ(ErrorOf([&] { f.FindRecord("true", 0); }), "can not find record because file is not open");

    f.OpenFile(name, kUser, kPassword);
    const char* people[] = {"name=\"Cy\" age=\"30\"", "name=\"al\" age=\"7\"", "name=\"Bo\" age=\"30\"",
                            "name=\"Di\" age=\"1000000\"", "name=\"Ed\" age=\"999999\" note=\"a~~b\""};
    for (const char* p : people) f.AppendRecord(p);

    EXPECT_EQ(AllRecords(f, ">age.get 30 >=").size(), 4u);
    EXPECT_EQ(AllRecords(f, ">note.get \"a\" crlf + \"b\" + =").size(), 1u);
    EXPECT_EQ(AllRecords(f, ">missing.get \"\" =").size(), 5u);

    f.SelectRecords("", false);
    f.SortRecords("-#age,name");
    std::vector<std::string> order;
    for (int i = 0; i < f.RecordCount(); ++i) order.push_back(f.GetRecord(i).substr(6, 2));
    EXPECT_EQ(order, (std::vector<std::string>{"Di", "Ed", "Bo", "Cy", "al"}));
    f.SortRecords("name");
    EXPECT_EQ(f.GetRecord(0).substr(6, 2), "al");

    EXPECT_EQ(f.FindRecord(">age.get 30 =", 0), 1);
    EXPECT_EQ(f.FindRecord(">age.get 30 =", 2), 2);
    EXPECT_EQ(f.FindRecord(">age.get 30 =", 3), -1);
    EXPECT_EQ(f.FindRecord(">age.get 31 =", 0), -1);
    EXPECT_EQ(f.FindRecord("", 0), -1);
    EXPECT_EQ(f.FindRecord("true", 5), -1);

    EXPECT_EQ(ErrorOf([&] { f.GetRecord(5); }), "record index out of range: 5");
    EXPECT_EQ(ErrorOf([&] { f.GetRecord(-1); }), "record index out of range: -1");
    EXPECT_EQ(ErrorOf([&] { f.UpdateRecord(9, ""); }), "record index out of range: 9");
    EXPECT_EQ(ErrorOf([&] { f.DeleteRecord(9); }), "record index out of range: 9");
    EXPECT_EQ(ErrorOf([&] { f.UpdateRecord(0, ""); }), "can not update; recordset is readonly");
    EXPECT_EQ(ErrorOf([&] { f.DeleteRecord(0); }), "can not delete; recordset is readonly");
    // A filter that does not load fails with the script's own message.
    EXPECT_EQ(ErrorOf([&] { f.SelectRecords("nosuchword", false); }), "undefined word \"nosuchword\" near ");
}

TEST_F(PagedFileTest, RecordLocksBetweenTwoUsersInOneProcess)
{
    Create();
    TvekPagedFile a, b;
    a.OpenFile(name, kUser, kPassword);
    b.OpenFile(name, kUser, kPassword);
    a.AppendRecord("k=\"1\"");
    a.AppendRecord("k=\"2\"");
    a.SelectRecords(">k.get 1 =", true);
    EXPECT_EQ(ErrorOf([&] { b.SelectRecords("", true); }), "Record locked by another user. Can not read.");
    b.SelectRecords(">k.get 2 =", true); // the other record is free
    EXPECT_EQ(b.RecordCount(), 1);
    EXPECT_EQ(AllRecords(b).size(), 2u); // reading without locking is never refused
    a.UpdateRecord(0, "k=\"1\" v=\"new\"");
    a.CloseFile(); // releases its locks
    b.SelectRecords("", true);
    EXPECT_EQ(b.RecordCount(), 2);
    EXPECT_EQ(b.GetRecord(0), "k=\"1\" v=\"new\"");
}

TEST_F(PagedFileTest, BrokenFilesEndInErrors)
{
    Create(64);
    {
        TvekPagedFile f;
        f.OpenFile(name, kUser, kPassword);
        f.AppendRecord(std::string(100, 'z'));
    }
    std::string bytes = ReadWholeFile(name);
    // The second page of the record points back at the first: a loop.
    std::string looped = bytes;
    looped[128 + 4] = 64;
    WriteWholeFile(name, looped);
    TvekPagedFile f;
    f.OpenFile(name, kUser, kPassword);
    EXPECT_NE(ErrorOf([&] { f.SelectRecords("", false); }).find("broken page chain"), std::string::npos);
    f.CloseFile();
    // A next page far outside the file.
    std::string outside = bytes;
    outside[64 + 7] = 0x70;
    WriteWholeFile(name, outside);
    f.OpenFile(name, kUser, kPassword);
    EXPECT_NE(ErrorOf([&] { f.SelectRecords("", false); }).find("broken page chain"), std::string::npos);
    f.CloseFile();
    // Page 0 of another kind of file.
    WriteWholeFile(name, std::string(10, 'q'));
    EXPECT_NE(ErrorOf([&] { f.OpenFile(name, kUser, kPassword); }).find("is not a paged record file"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(users));
}

// ---- several processes

// Runs body in a child process; returns its pid. The child ends with exit code 0 on success.
template <class F>
pid_t Child(F&& body)
{
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 0;
        try {
            code = body();
        } catch (...) {
            code = 99;
        }
        _exit(code);
    }
    return pid;
}

int Wait(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(PagedFileTest, ProcessesShareLocksAndAKilledProcessLeavesNothingLocked)
{
    Create();
    {
        TvekPagedFile f;
        f.OpenFile(name, kUser, kPassword);
        f.AppendRecord("k=\"1\"");
    }
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = Child([&] {
        TvekPagedFile f;
        f.OpenFile(name, kUser, kPassword);
        f.SelectRecords("", true);
        const char c = f.Slot() == 2 ? 'y' : 'n';
        if (write(ready[1], &c, 1) != 1) return 1;
        pause(); // holds the locked selection until killed
        return 0;
    });
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');

    TvekPagedFile mine;
    mine.OpenFile(name, kUser, kPassword);
    EXPECT_EQ(mine.Slot(), 3);
    EXPECT_EQ(ErrorOf([&] { mine.SelectRecords("", true); }), "Record locked by another user. Can not read.");
    mine.CloseFile();
    EXPECT_TRUE(std::filesystem::exists(users)); // the holder is still there

    kill(holder, SIGKILL);
    Wait(holder);
    // The dead holder's slot is free again, and its record lock no longer counts.
    EXPECT_EQ(ReadWholeFile(users)[1], '1');
    mine.OpenFile(name, kUser, kPassword);
    EXPECT_EQ(mine.Slot(), 2);
    mine.SelectRecords("", true);
    EXPECT_EQ(mine.RecordCount(), 1);
    mine.CloseFile();
    EXPECT_FALSE(std::filesystem::exists(users));
    close(ready[0]);
    close(ready[1]);
}

TEST_F(PagedFileTest, ConcurrentAppendersLoseNothing)
{
    Create(64);
    {
        // Free pages in the middle make both writers search rather than only grow the file.
        TvekPagedFile f;
        f.OpenFile(name, kUser, kPassword);
        for (int i = 0; i < 20; ++i) f.AppendRecord(std::string(60, 'f'));
        f.SelectRecords("", true);
        for (int i = 0; i < f.RecordCount(); ++i) f.DeleteRecord(i); // every other record
    }
    constexpr int kEach = 300;
    auto appender = [&](char who) {
        return Child([&, who] {
            TvekPagedFile f;
            f.OpenFile(name, kUser, kPassword);
            for (int i = 0; i < kEach; ++i)
                f.AppendRecord("who=\"" + std::string(1, who) + "\" n=\"" + std::to_string(i) + "\" pad=\"" +
                               std::string(size_t(i % 90), who) + "\"");
            return 0;
        });
    };
    const pid_t p1 = appender('a'), p2 = appender('b');
    EXPECT_EQ(Wait(p1), 0);
    EXPECT_EQ(Wait(p2), 0);

    TvekPagedFile f;
    f.OpenFile(name, kUser, kPassword);
    std::set<std::string> seen;
    for (const std::string& r : AllRecords(f, ">who.get \"\" <>")) {
        EXPECT_TRUE(seen.insert(r).second) << r;
        const char who = r[5];
        const int n = std::stoi(r.substr(r.find("n=\"") + 3));
        EXPECT_EQ(r, "who=\"" + std::string(1, who) + "\" n=\"" + std::to_string(n) + "\" pad=\"" +
                         std::string(size_t(n % 90), who) + "\"");
    }
    EXPECT_EQ(seen.size(), size_t(2 * kEach));
}

} // namespace

namespace {

// Paged files with bytes changed at random open, select, update and append with errors at worst.
TEST_F(PagedFileTest, SurvivesMangledFiles)
{
    Create(64);
    {
        TvekPagedFile f;
        f.OpenFile(name, kUser, kPassword);
        for (int i = 0; i < 12; ++i) f.AppendRecord("k=\"" + std::to_string(i) + "\" pad=\"" + std::string(size_t(i * 7), 'p') + "\"");
    }
    const std::string good = ReadWholeFile(name);
    std::uint32_t r = 777;
    auto next = [&r] { return r = r * 1664525u + 1013904223u; };
    int opened = 0;
    for (int round = 0; round < 400; ++round) {
        std::string bytes = good;
        for (int e = 0; e < 1 + int(next() % 6); ++e) {
            // Headers are where the damage matters: aim most edits at them.
            const size_t page = next() % (bytes.size() / 64);
            const size_t at = page * 64 + (next() % 2 ? next() % 12 : next() % 64);
            bytes[at] = char(next());
        }
        if (next() % 5 == 0) bytes.resize(next() % bytes.size());
        WriteWholeFile(name, bytes);
        TvekPagedFile f;
        try {
            f.OpenFile(name, kUser, kPassword);
            ++opened;
            f.SelectRecords("", true);
            if (f.RecordCount() > 0) f.UpdateRecord(0, std::string(100, 'u'));
            f.AppendRecord(std::string(70, 'a'));
            f.SelectRecords(">k.get 3 >", false);
            if (f.RecordCount() > 0) f.SortRecords("-#k");
        } catch (const std::exception&) {
            // Any message will do; the point is an orderly end.
        }
    }
    EXPECT_GT(opened, 100);
}

} // namespace

namespace {

// Users opening and closing at the same time each get a slot of their own, and the last one out
// removes the table.
TEST_F(PagedFileTest, ConcurrentOpensShareTheUsersTable)
{
    Create();
    std::vector<pid_t> children;
    for (int c = 0; c < 4; ++c)
        children.push_back(Child([&] {
            for (int i = 0; i < 40; ++i) {
                TvekPagedFile a, b;
                a.OpenFile(name, kUser, kPassword);
                b.OpenFile(name, kUser, kPassword);
                if (a.Slot() == b.Slot()) return 2;
                const std::string table = ReadWholeFile(users);
                if (table.size() != 256 || table[size_t(a.Slot() - 1)] != '1' || table[size_t(b.Slot() - 1)] != '1') return 3;
            }
            return 0;
        }));
    for (pid_t pid : children) EXPECT_EQ(Wait(pid), 0);
    EXPECT_FALSE(std::filesystem::exists(users));
}

} // namespace
