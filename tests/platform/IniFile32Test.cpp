#include "platform/Errors.h"
#include "platform/IniFile32.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::vector<std::string> Lines(std::initializer_list<const char*> lines) { return {lines.begin(), lines.end()}; }

TEST(IniFile32, ReadsSectionsWithoutCaseAndKeysExactly)
{
    TTempDir dir;
    WriteWholeFile(dir.File("a.ini"), "x=outside\r\n"
                                      " [settings] \r\n"
                                      "  lastDir =  /Home/Pics  \r\n"
                                      "empty=\r\n"
                                      "path=a=b\r\n"
                                      "[VistrelF]\r\n"
                                      "Left=5\r\n");
    TIniFile32 ini(dir.File("a.ini"));
    EXPECT_EQ(ini.ReadString("Settings", "lastDir", "d"), "/Home/Pics");
    EXPECT_EQ(ini.ReadString("SETTINGS", "lastDir", "d"), "/Home/Pics");
    EXPECT_EQ(ini.ReadString("Settings", "lastdir", "d"), "d") << "keys compare exactly";
    EXPECT_EQ(ini.ReadString("Settings", "empty", "d"), "d") << "an empty value gives the default";
    EXPECT_EQ(ini.ReadString("Settings", "path", "d"), "a=b");
    EXPECT_EQ(ini.ReadString("Settings", "Left", "d"), "d") << "the section ends at the next header";
    EXPECT_EQ(ini.ReadString("Settings", "x", "d"), "d");
    EXPECT_EQ(ini.ReadString("Missing", "x", "d"), "d");
    EXPECT_EQ(TIniFile32(dir.File("none.ini")).ReadString("Settings", "lastDir", "d"), "d");
}

TEST(IniFile32, IntegersAreDecimalOrHexAndFallBackToTheDefault)
{
    TTempDir dir;
    WriteWholeFile(dir.File("a.ini"), "[S]\nhex=0x20\nHEX=0X1f\nbare=0x\nneg=-7\nbad=12abc\nbig=99999999999\n"
                                      "all=0xFFFFFFFF\nlong=0x123456789\nsign=+\nzero=0\ntwo=2\n");
    TIniFile32 ini(dir.File("a.ini"));
    EXPECT_EQ(ini.ReadInteger("S", "hex", -1), 32);
    EXPECT_EQ(ini.ReadInteger("S", "HEX", -1), 31);
    EXPECT_EQ(ini.ReadInteger("S", "bare", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "neg", -1), -7);
    EXPECT_EQ(ini.ReadInteger("S", "bad", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "big", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "all", 5), -1);
    EXPECT_EQ(ini.ReadInteger("S", "long", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "sign", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "missing", 9), 9);
    EXPECT_FALSE(ini.ReadBool("S", "zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "two", false));
    EXPECT_TRUE(ini.ReadBool("S", "bad", true));
}

TEST(IniFile32, WritesReplaceInsertOrAppendInPlace)
{
    TTempDir dir;
    const std::string file = dir.File("a.ini");
    WriteWholeFile(file, "; kept\n[Settings]\nlastDir=/a\n\n[VistrelF]\nLeft=1\n");

    TIniFile32(file).WriteString("Settings", "lastDir", "/b");
    TIniFile32(file).WriteString("settings", " batchDir ", " /out ");
    TIniFile32(file).WriteInteger("VistrelF", "Top", 7);
    TIniFile32(file).WriteString("New", "k", "v");
    EXPECT_EQ(LoadTextLines(file), Lines({"; kept", "[Settings]", "lastDir=/b", "", "batchDir=/out", "[VistrelF]",
                                          "Left=1", "Top=7", "", "[New]", "k=v"}));
    EXPECT_EQ(TIniFile32(file).ReadString("Settings", "batchDir", ""), "/out");

    // A line break in a value must not smuggle lines into the file.
    TIniFile32(file).WriteString("New", "k", "a\nb");
    EXPECT_EQ(LoadTextLines(file).size(), 11u);
}

TEST(IniFile32, FirstWriteCreatesTheFile)
{
    TTempDir dir;
    TIniFile32(dir.File("v.ini")).WriteBool("VistrelF", "State", true);
    EXPECT_EQ(ReadWholeFile(dir.File("v.ini")), "\n[VistrelF]\nState=1\n");
}

TEST(IniFile32, FailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    TTempDir dir;
    const std::string file = dir.File("a.ini");
    WriteWholeFile(file, "[S]\nk=old\n");
    // A folder cannot be replaced by a file: the rename fails after the data was written.
    std::filesystem::create_directories(dir.File("blocked.ini/inner"));
    EXPECT_THROW(TIniFile32(dir.File("blocked.ini")).WriteString("S", "k", "new"), EvekFileError);
    EXPECT_THROW(TIniFile32(dir.File("missing/a.ini")).WriteString("S", "k", "new"), EvekFileError);
    EXPECT_EQ(ReadWholeFile(file), "[S]\nk=old\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, 2) << "only a.ini and the folder remain";
}

} // namespace
