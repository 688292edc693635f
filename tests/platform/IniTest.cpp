#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "platform/Ini.h"

using namespace platform;
using platform::testing::CTempFolder;

namespace {

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(Ini, MissingOrUnreadableFileReadsAsDefaults)
{
    CTempFolder folder;
    EXPECT_EQ(GetProfileString("Test", "IsMatch", "dflt", folder / "none.ini"), "dflt");
    EXPECT_EQ(GetProfileInt("Test", "IsMatch", 7, folder / "none.ini"), 7);
    // A folder where the file should be cannot be read and cannot be written over.
    std::filesystem::create_directory(folder / "dir.ini");
    EXPECT_EQ(GetProfileString("A", "b", "x", folder / "dir.ini"), "x");
    EXPECT_FALSE(WriteProfileString("A", "b", "1", folder / "dir.ini"));
    // The default loses trailing blanks, as callers have always seen it.
    EXPECT_EQ(GetProfileString("A", "b", "x  ", folder / "none.ini"), "x");
}

TEST(Ini, NamesAreCaseInsensitiveAndValuesTrimmed)
{
    CTempFolder folder;
    const std::string path = folder / "game.ini";
    WriteFile(path, "; comment\r\n[Test]\r\n  IsMatch =  1  \r\nName= \"  quoted \" \r\nOne='x'\r\nBare\r\n"
                    "[PROXY]\nPort=1081\n");
    EXPECT_EQ(GetProfileInt("test", "ISMATCH", 0, path), 1);
    EXPECT_EQ(GetProfileString("TEST", "name", "", path), "  quoted ");
    EXPECT_EQ(GetProfileString("Test", "One", "", path), "x");
    EXPECT_EQ(GetProfileString("Test", "Bare", "d", path), "");
    EXPECT_EQ(GetProfileInt("proxy", "port", 1080, path), 1081);
    EXPECT_EQ(GetProfileString("Test", "Port", "none", path), "none"); // other section
    // The file is found whatever the case of its name.
    EXPECT_EQ(GetProfileInt("Test", "IsMatch", 0, folder / "GAME.INI"), 1);
}

TEST(Ini, IntegersParseLikeTheProfileFunctions)
{
    EXPECT_EQ(ini::ParseInt("42", 5), 42);
    EXPECT_EQ(ini::ParseInt("-42abc", 5), -42);
    EXPECT_EQ(ini::ParseInt("0x1F", 5), 31);
    EXPECT_EQ(ini::ParseInt("abc", 5), 0);
    EXPECT_EQ(ini::ParseInt("", 5), 5);
    EXPECT_EQ(ini::ParseInt("4294967296", 0), 0); // wraps at 32 bits, no overflow
    EXPECT_EQ(ini::ParseInt("4294967295", 0), -1);
}

TEST(Ini, WritingCreatesFileSectionAndKeyAndKeepsEverythingElse)
{
    CTempFolder folder;
    const std::string path = folder / "set.ini";
    ASSERT_TRUE(WriteProfileString("GAMESET", "Sound", "1", path));
    EXPECT_EQ(GetProfileInt("GAMESET", "Sound", 0, path), 1);

    WriteFile(path, "; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(WriteProfileString("a", "Z", "3", path));   // new key in an existing section
    ASSERT_TRUE(WriteProfileString("B", "Y", "20", path));  // changed value, the key keeps its spelling
    ASSERT_TRUE(WriteProfileString("C", "k", "v", path));   // new section
    EXPECT_EQ(ReadFile(path), "; keep me\r\n[A]\r\nx=1\r\nZ=3\r\n\r\n[B]\r\ny=20\r\n[C]\r\nk=v\r\n");

    ASSERT_TRUE(WriteProfileString("A", "x", std::nullopt, path));
    EXPECT_EQ(GetProfileString("A", "x", "gone", path), "gone");
    EXPECT_EQ(GetProfileInt("A", "Z", 0, path), 3);
    ASSERT_TRUE(DeleteProfileSection("b", path));
    EXPECT_EQ(GetProfileString("B", "y", "gone", path), "gone");
    EXPECT_EQ(GetProfileKeys("C", path), std::vector<std::string>{ "k" });
}

TEST(Ini, RefusesWritesThatWouldCorruptTheFile)
{
    CTempFolder folder;
    const std::string path = folder / "set.ini";
    ASSERT_TRUE(WriteProfileString("A", "k", "v", path));
    EXPECT_FALSE(WriteProfileString("A", "k", "v\r\n[Evil]\r\nx=1", path));
    EXPECT_FALSE(WriteProfileString("A", "k=j", "v", path));
    EXPECT_FALSE(WriteProfileString("A]", "k", "v", path));
    // ...but a two-byte character whose trail byte is ']' is a name like any other.
    ASSERT_TRUE(WriteProfileString("\xB1\x5D", "\xB1\x5D", "v", path));
    EXPECT_EQ(GetProfileString("\xB1\x5D", "\xB1\x5D", "", path), "v");
    // A lead byte does not hide a line break or '=' behind it.
    EXPECT_FALSE(WriteProfileString("A\xB1\n[Evil]", "k", "v", path));
    EXPECT_FALSE(WriteProfileString("A", "k\xB1=", "v", path));
    EXPECT_FALSE(WriteProfileString("", "k", "v", path));
    // A key that would be written as a comment or a section header.
    EXPECT_FALSE(WriteProfileString("A", ";k", "v", path));
    EXPECT_FALSE(WriteProfileString("A", " [Evil", "v", path));
    EXPECT_EQ(GetProfileString("Evil", "x", "none", path), "none");
    EXPECT_EQ(GetProfileString("A", "k", "", path), "v");
}

TEST(Ini, ConcurrentWritersLoseNoKeys)
{
    CTempFolder folder;
    const std::string path = folder / "shared.ini";
    // Names built by append: g++ 12 warns falsely (-Wrestrict) on "S" + string at -O2.
    const auto name = [](char prefix, int number) {
        std::string text(1, prefix);
        text.append(std::to_string(number));
        return text;
    };
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([t, &path, &name] {
            for (int k = 0; k < 25; ++k)
                (void)WriteProfileString(name('S', t % 2), name('k', t * 100 + k), std::to_string(k), path);
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    for (int t = 0; t < 4; ++t) {
        for (int k = 0; k < 25; ++k)
            EXPECT_EQ(GetProfileInt(name('S', t % 2), name('k', t * 100 + k), -1, path), k);
    }
}

TEST(Ini, OddTextParsesWithoutSurprises)
{
    EXPECT_EQ(ini::FindValue("[A", "A", "k"), std::nullopt);
    EXPECT_EQ(ini::FindValue("[A\nk=1", "A", "k"), "1");            // header without ']'
    EXPECT_EQ(ini::FindValue("k=0\n[A]\nk=1\n[A]\nk=2", "A", "k"), "1"); // first section wins
    EXPECT_EQ(ini::FindValue("[A]\r\rk=\"", "A", "k"), "\"");          // lone quote kept
    EXPECT_EQ(ini::FindValue("\xEF\xBB\xBF[A]\nk=1", "A", "k"), "1");  // byte order mark
    EXPECT_EQ(ini::SetValue("[A]\nk=1", "A", "j", "2"), "[A]\nk=1\nj=2\n");
    EXPECT_EQ(ini::SetValue("", "A", "j", std::nullopt), "");
}
