#include "engine/media/ResPackage.h"
#include "engine/media/ResourceCategory.h"
#include "engine/media/ResourceModule.h"

#include "engine/core/NameKey.h"
#include "platform/DailyLog.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

using namespace engine;
using imagetest::CTempFolder;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string AsText(std::span<const uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override { platform::CDailyLog::Instance().SetFolder(m_folder.Path()); }
    void TearDown() override { platform::CDailyLog::Instance().SetFolder({}); }

    CTempFolder m_folder;
    ResourceModule m_module;
};

} // namespace

TEST(ResourceCategory, NamesFilesByTitleAndCategory)
{
    EXPECT_EQ(ResourceNameOf("skin\\btnThrow.PNG"), "btnThrow.imge");
    EXPECT_EQ(ResourceNameOf("a/b/Hit.wav"), "Hit.sound");
    EXPECT_EQ(ResourceNameOf("page.aspx"), "page.http");
    EXPECT_EQ(ResourceNameOf("notes.txt"), "notes.text");
    EXPECT_EQ(ResourceNameOf("data.xyz"), "data");
    EXPECT_EQ(ResourceNameOf("x.png", "Other"), "Other.imge");
    EXPECT_EQ(LookupCategory(StringHash(".gif")), StringHash(".imge"));
    EXPECT_EQ(LookupCategory(StringHash(".mid")), StringHash(".sound"));
    EXPECT_EQ(LookupCategory(12345u), 12345u);
    // ".txt" names a category for resource names, but is not one of the 32 pairs.
    EXPECT_EQ(LookupCategory(StringHash(".txt")), StringHash(".txt"));
}

TEST_F(ResourceTest, LooseFilesAreReadOnFirstUseAndLaterOnesReplaceEarlier)
{
    imagetest::WriteFile(m_folder, "btnThrow.png", Text("png bytes"));
    imagetest::WriteFile(m_folder, "btnThrow.bmp", Text("bmp"));
    const NameKey key = m_module.AddFile(m_folder / "btnThrow.png");
    ASSERT_EQ(key, MakeNameKey("btnThrow.imge"));
    ResourceRecord* record = m_module.ReadData(key);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->flags, 17u);
    EXPECT_EQ(record->type, StringHash(".png"));
    EXPECT_EQ(record->category, StringHash(".imge"));
    EXPECT_EQ(AsText(record->Bytes()), "png bytes");
    EXPECT_EQ(record->data[record->size], 0);

    EXPECT_EQ(m_module.AddFile(m_folder / "btnThrow.bmp"), key);
    EXPECT_EQ(m_module.GetCount(), 1u);
    EXPECT_EQ(AsText(m_module.Find(key)), "bmp");
    EXPECT_EQ(m_module.AddFile(m_folder / "missing.png"), NameKey {});
}

TEST_F(ResourceTest, LooseFileSizeIsZeroUntilRead)
{
    imagetest::WriteFile(m_folder, "a.ogg", Text("12345"));
    const NameKey key = m_module.AddFile(m_folder / "a.ogg");
    m_module.ReleaseData(key);
    EXPECT_EQ(m_module.Exists(key), true);
    ASSERT_EQ(m_module.ReadData(key)->size, 5u);
    m_module.ReleaseData(key);
    EXPECT_EQ(AsText(m_module.Find(key)), "12345");    // read again from the file
}

TEST_F(ResourceTest, AddDirectoryAddsFilesButNotFolders)
{
    imagetest::WriteFile(m_folder, "one.png", Text("1"));
    imagetest::WriteFile(m_folder, "two.wav", Text("2"));
    imagetest::WriteFile(m_folder, "plain", Text("3"));
    std::filesystem::create_directory(m_folder / "sub");
    imagetest::WriteFile(m_folder, "sub/deep.png", Text("4"));
    EXPECT_EQ(m_module.AddDirectory(m_folder.Path()), 3);
    EXPECT_TRUE(m_module.Exists(MakeNameKey("one.imge")));
    EXPECT_TRUE(m_module.Exists(MakeNameKey("two.sound")));
    EXPECT_TRUE(m_module.Exists(MakeNameKey("plain")));
    EXPECT_FALSE(m_module.Exists(MakeNameKey("deep.imge")));
    m_module.ReleaseByPath(m_folder / "one.png");
    EXPECT_FALSE(m_module.Exists(MakeNameKey("one.imge")));
}

TEST_F(ResourceTest, MemoryResourcesKeepTheirBytes)
{
    const NameKey key = m_module.AddResource("QRCode_Image.bmp", Text("BM.."));
    ASSERT_EQ(key, MakeNameKey("QRCode_Image.imge"));
    m_module.ReleaseData(key);
    EXPECT_EQ(AsText(m_module.Find(key)), "BM..");
    // Adding again under the same name replaces the bytes.
    (void)m_module.AddResource("QRCode_Image.bmp", Text("BM2"));
    EXPECT_EQ(AsText(m_module.Find(key)), "BM2");
}

TEST_F(ResourceTest, PackagesRegisterEntriesAndTheFirstLoadedWins)
{
    const Bytes first = BuildResPackage({ { "card.imge", StringHash(".png"), Text("first card") },
                                          { "odd", 777u, Text("odd type") },
                                          { "empty.imge", StringHash(".png"), {} } });
    const Bytes second = BuildResPackage({ { "card.imge", StringHash(".png"), Text("second card") },
                                           { "back.imge", StringHash(".pps"), Text("back") } });
    imagetest::WriteFile(m_folder, "first.kor", first);
    imagetest::WriteFile(m_folder, "second.kor", second);
    EXPECT_EQ(m_module.LoadPackage(m_folder / "first.kor"), 3);
    EXPECT_EQ(m_module.LoadPackage(m_folder / "second.kor"), 2);
    EXPECT_EQ(AsText(m_module.Find(MakeNameKey("card.imge"))), "first card");
    EXPECT_EQ(AsText(m_module.Find(MakeNameKey("back.imge"))), "back");
    EXPECT_TRUE(m_module.Exists(MakeNameKey("empty.imge")));
    ResourceRecord* empty = m_module.ReadData(MakeNameKey("empty.imge"));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->size, 0u);
    ResourceRecord* odd = m_module.ReadData(MakeNameKey("odd"));
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->category, 777u);
    EXPECT_EQ(odd->flags, 33u);
    m_module.Unload();
    m_module.ReleaseData(MakeNameKey("back.imge"));
    EXPECT_TRUE(m_module.Find(MakeNameKey("back.imge")).empty());   // its file is gone
}

TEST_F(ResourceTest, PackagesFromMemoryCopyTheirBytes)
{
    Bytes image = BuildResPackage({ { "hit.sound", StringHash(".wav"), Text("RIFF") } });
    EXPECT_EQ(m_module.LoadPackageFromMemory(image), 1);
    std::fill(image.begin(), image.end(), 0);
    m_module.ReleaseData(MakeNameKey("hit.sound"));
    EXPECT_EQ(AsText(m_module.Find(MakeNameKey("hit.sound"))), "RIFF");
    const std::span<const uint8_t> view(image);
    EXPECT_EQ(m_module.OnMessage(VELOTRIX_MSG_LOAD_PACKAGE_MEMORY, reinterpret_cast<uintptr_t>(&view), 0),
              VELOTRIX_RETURN_OK);
}

TEST_F(ResourceTest, RefusesTruncatedAndLyingPackages)
{
    const Bytes good = BuildResPackage({ { "a.imge", StringHash(".png"), Text("aaaa") },
                                         { "b.imge", StringHash(".png"), Text("bbbb") } });
    for (size_t length = 0; length < good.size(); ++length) {
        const Bytes cut(good.begin(), good.begin() + length);
        EXPECT_EQ(m_module.LoadPackageFromMemory(cut), 0) << length;
    }
    Bytes lying = good;
    lying[104] = 200;                                  // more entries than the file holds
    EXPECT_EQ(m_module.LoadPackageFromMemory(lying), 0);
    lying = good;
    lying[176 + 16] = 0xFF;                            // first entry's size past the end
    EXPECT_EQ(m_module.LoadPackageFromMemory(lying), 0);
    lying = good;
    lying[100] = 9;                                    // walk bound above the count: held to it
    EXPECT_EQ(m_module.LoadPackageFromMemory(lying), 2);
    EXPECT_EQ(m_module.LoadPackage(m_folder / "none.kor"), 0);
    EXPECT_EQ(m_module.GetCount(), 2u);
}

TEST_F(ResourceTest, PackageEntriesAreReadWithExactBuffers)
{
    const Bytes image = BuildResPackage({ { "a.imge", StringHash(".png"), Text("abcdef") },
                                          { "b.imge", StringHash(".png"), Text("xyz") } });
    imagetest::WriteFile(m_folder, "p.kor", image);
    CResPackage package(m_folder / "p.kor");
    ASSERT_TRUE(package.IsOpen());
    uint8_t buffer[6] = {};
    EXPECT_EQ(package.ReadEntry(0, buffer, 5), 0);
    EXPECT_EQ(package.ReadEntry(0, buffer, 6), 1);
    EXPECT_EQ(std::string(buffer, buffer + 6), "abcdef");
    EXPECT_EQ(package.ReadEntry(2, buffer, 6), 0);
    EXPECT_EQ(package.NextEntry(StringHash(".png")), 1);
    EXPECT_EQ(package.CopyEntry().key, MakeNameKey("b.imge"));
    EXPECT_EQ(package.NextEntry(0), 0);
    EXPECT_EQ(AsText(*package.ReadEntryAlloc(1)), "xyz");
    EXPECT_FALSE(package.ReadEntryAlloc(2).has_value());

    CResPackageMem memory(image);
    EXPECT_EQ(memory.ReadEntry(1, buffer, 3), 1);
    EXPECT_EQ(std::string(buffer, buffer + 3), "xyz");
}
