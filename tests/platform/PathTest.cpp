#include <gtest/gtest.h>

#include <fstream>

#include "TempFolder.h"
#include "platform/Path.h"

using namespace platform;
using platform::testing::CTempFolder;

TEST(Path, BackslashesBecomeSlashesButNotInsideACharacter)
{
    EXPECT_EQ(NormalizeSeparators("skin\\\\default\\a.bmp"), "skin/default/a.bmp");
    // 0x81 0x5C is one GBK character whose trail byte is a backslash.
    EXPECT_EQ(NormalizeSeparators("a\\\x81\x5C\\b"), "a/\x81\x5C/b");
    EXPECT_EQ(ToOsPath("a\\\x81\x5C\\b"), "a/\xE4\xB9\x97/b");
    EXPECT_EQ(ToOsPath("users\\\xD6\xD0.dat"), "users/\xE4\xB8\xAD.dat");
}

TEST(Path, NamesThatCannotBeConvertedAreRefused)
{
    EXPECT_FALSE(ToOsPath("bad\xFF\xFF"));
    EXPECT_FALSE(ResolveOsPath("bad\xD6"));
    EXPECT_FALSE(FromOsPath("\xFF"));
    EXPECT_FALSE(MakeDirectoryTree("/tmp/\xFF\xFF"));
}

TEST(Path, ExistingFilesAreFoundWhateverTheCase)
{
    CTempFolder folder;
    ASSERT_TRUE(MakeDirectoryTree(folder / "Skin\\Default"));
    std::ofstream(folder / "Skin/Default/Card.BMP") << "x";
    EXPECT_EQ(FindExistingPath(folder / "skin\\DEFAULT\\card.bmp"), folder / "Skin/Default/Card.BMP");
    EXPECT_TRUE(PathExists(folder / "SKIN/default"));
    EXPECT_FALSE(FindExistingPath(folder / "skin/default/none.bmp"));
    // A new file in an existing folder of another case lands in that folder.
    EXPECT_EQ(ResolveOsPath(folder / "SKIN\\default\\New.ini"), folder / "Skin/Default/New.ini");
}

TEST(Path, ExistingNamesThatAreNoUtf8AreFoundUnderTheirBytes)
{
    CTempFolder folder;
    // A GBK name copied from another system, and a name that is no text at all.
    for (const std::string name : { "\xD6\xD0\xCE\xC4.qvrep", "bad\xFF\xFE.qvrep" }) {
        std::ofstream(folder / name) << "abc";
        EXPECT_EQ(FindExistingPath(folder / name), folder / name);
        const auto bytes = ReadFileBytes(folder / name, 16);
        ASSERT_TRUE(bytes.has_value()) << name;
        EXPECT_EQ(bytes->size(), 3u);
    }
    // The UTF-8 name is preferred when both exist; nothing is created under
    // unconverted bytes.
    std::ofstream(folder / "\xE4\xB8\xAD\xE6\x96\x87.qvrep") << "x";
    EXPECT_EQ(FindExistingPath(folder / "\xD6\xD0\xCE\xC4.qvrep"), folder / "\xE4\xB8\xAD\xE6\x96\x87.qvrep");
    EXPECT_EQ(OpenFile(folder / "new\xFF\xFE", "wb"), nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder / "new\xFF\xFE"));
}

TEST(Path, DirectoryTreesAreCreatedWithGbkNames)
{
    CTempFolder folder;
    ASSERT_TRUE(MakeDirectoryTree(folder / "a\\\xD6\xD0\\c"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "a/\xE4\xB8\xAD/c"));
    EXPECT_TRUE(MakeDirectoryTree(folder / "a/\xD6\xD0/c/")); // already there
    std::ofstream(folder / "file") << "x";
    EXPECT_FALSE(MakeDirectoryTree(folder / "file/sub"));
}

TEST(Path, FoldersEndInASlashAndCanBeOverridden)
{
    const std::string program = GetProgramFolder();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.back(), '/');
    EXPECT_TRUE(PathExists(program));

    CTempFolder folder;
    SetProgramFolder(folder.Path() + "prog");
    EXPECT_EQ(GetProgramFolder(), folder / "prog/");
    SetProgramFolder("");
    EXPECT_EQ(GetProgramFolder(), program);

    SetUserDataFolder(folder / "data");
    EXPECT_EQ(GetUserDataFolder(), folder / "data/");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "data")); // created on use
    SetUserDataFolder("");

    EXPECT_EQ(JoinPath("a/", "/b"), "a/b");
    EXPECT_EQ(JoinPath("a\\", "b"), "a/b");
    EXPECT_EQ(JoinPath("a", "b"), "a/b");
}

TEST(Path, FilesOpenByProgramNames)
{
    CTempFolder folder;
    ASSERT_TRUE(MakeDirectoryTree(folder / "Users"));
    {
        FileHandle out = OpenFile(folder / "users\\7.dat", "wb"); // lands in "Users"
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(std::fwrite("abcdef", 1, 6, out.get()), 6u);
    }
    EXPECT_TRUE(std::filesystem::exists(folder / "Users/7.dat"));
    EXPECT_NE(OpenFile(folder / "USERS/7.DAT", "rb"), nullptr);
    EXPECT_EQ(OpenFile(folder / "users/8.dat", "rb"), nullptr);
    EXPECT_EQ(OpenFile(folder / "bad\xFF\xFF", "wb"), nullptr);
    const auto bytes = ReadFileBytes(folder / "users/7.dat", 6);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), 6u);
    EXPECT_FALSE(ReadFileBytes(folder / "users/7.dat", 5)); // over the limit: refused, not cut
    EXPECT_FALSE(ReadFileBytes(folder / "users", 100));     // a folder is no file
}
