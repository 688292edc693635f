// The default skin against the code that uses it: every image and sound the
// scene, the panel, the client and the widgets name in their sources is in
// the skin the frame loads, the sounds decode as the mixer reads them and
// stay below full scale, and the skin INI and its bitmaps are readable.
#include "engine/core/NameKey.h"
#include "engine/media/ImageDecoder.h"
#include "engine/media/ResourceModule.h"
#include "platform/Ini.h"
#include "platform/Text.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <span>
#include <string>

namespace {

const std::string SKINS = PLDK_SKINS_DIR;

// The packages and files the frame loads, as it loads them.
engine::ResourceModule& Skin()
{
    static engine::ResourceModule module;
    static const bool loaded = [] {
        for (const char* package : { "frame.kor", "common.kor", "cardmaster.kor", "聊天框资源包.kor",
                                     "koface_nubnub.kor", "kofaces_nubnub.kor", "replay.kor" })
            (void)module.LoadPackage(SKINS + "/" + package);
        (void)module.AddFile(SKINS + "/advertback.bmp");
        return true;
    }();
    (void)loaded;
    return module;
}

// Names in the sources (UTF-8 on disk; GBK here) by the ways the code names images
// and sounds: image constants and arguments, button tables, sound calls and
// the pictures of markup text. Names made at run time, and a picture's copy
// text, are left out.
std::set<std::string> NamesInSources(bool sounds)
{
    static const std::regex IMAGE_PATTERNS[] = {
        std::regex(R"re(\b[A-Z0-9_]*(?:IMAGE|_PICTURE|_DIGITS|_UNIT|FACE_\d+|BACK_\d+)\b[^=;()]*=\s*"([^"]+)\")re"),
        std::regex(R"re(GetImage\([^,()]+,\s*"([^"]+)\")re"),
        std::regex(R"re((?:CreateButton|NewMatchButton|MakeTab|MakeDigits|ShowPassMark)\(\s*"([^"]+)\")re"),
        std::regex(R"re(MakeDigits\("[^"]+",\s*\w+,\s*"([^"]+)\")re"),
        std::regex(R"re((?:Button|Extra)::\w+,\s*"([^"]+)\")re"),
        std::regex(R"re("(vur[^"]+)\")re"),
        std::regex(R"re(<[zm]=([^>;,]+))re"),
    };
    static const std::regex SOUND_PATTERNS[] = {
        std::regex(R"re((?:LoadSound|PlayFrameSound|PlaySound)\(\s*"([^"]+)\")re"),
        std::regex(R"re("((?:Snd|snd_)\w+)")re"),
        std::regex(R"re(\b[A-Z0-9_]*SOUND\b[^=;()]*=\s*"([^"]+)\")re"),
    };
    static const std::set<std::string> NOT_SKIN_NAMES { "QRCode_Image", "QRCode_Image.bmp", "[图片]" };
    std::set<std::string> names;
    for (const char* folder : { "game/scene", "client", "engine/widgets" }) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(std::string(PLDK_SOURCE_DIR) + "/" + folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h")
                continue;
            std::ifstream in(entry.path());
            for (std::string line; std::getline(in, line);) {
                if (line.find('"') == std::string::npos)
                    continue;
                for (const std::regex& pattern : sounds ? std::span<const std::regex>(SOUND_PATTERNS)
                                                         : std::span<const std::regex>(IMAGE_PATTERNS))
                    for (auto it = std::sregex_iterator(line.begin(), line.end(), pattern); it != std::sregex_iterator();
                         ++it)
                        if (const auto gbk = platform::Utf8ToGbk((*it)[1].str()); gbk && !NOT_SKIN_NAMES.contains(*gbk))
                            names.insert(*gbk);
            }
        }
    }
    return names;
}

} // namespace

TEST(SkinCoverage, EveryNamedImageAndSoundIsInTheSkin)
{
    const std::set<std::string> images = NamesInSources(false);
    const std::set<std::string> sounds = NamesInSources(true);
    // The scan itself finds the known names (a broken pattern finds nothing).
    for (const char* known : { "btnThrow", "牌正面71x96", "vur抱歉", "qv系统通知", "游戏结果框", "理牌", "分数", "不出", "word_zhang" })
        EXPECT_TRUE(images.contains(known)) << known;
    for (const char* known : { "Snd_Throw", "SndHitButton", "SndAhoo" })
        EXPECT_TRUE(sounds.contains(known)) << known;
    for (const auto& [names, category] : { std::pair { &images, ".imge" }, std::pair { &sounds, ".sound" } }) {
        for (const std::string& name : *names)
            EXPECT_TRUE(Skin().Exists(engine::MakeNameKey(name + category)))
                << platform::GbkToUtf8(name).value_or(name) << category;
    }
}

TEST(SkinCoverage, SoundsDecodeAndNeverClip)
{
    for (const char* name : { "SndTouchButton", "SndHitButton", "Snd_HitCard", "Snd_DealCard", "snd_sort", "Snd_Throw",
                              "Snd_Pass", "Snd_Bomb4", "Snd_Bomb5", "Snd_Bomb6", "Snd_Bomb78", "Snd_4King",
                              "Snd_WinScore", "Snd_Cai", "Snd_GameWin", "Snd_GameStart", "Snd_Start",
                              "snd_ArrageTable", "SndHi", "SndAhoo", "default" }) {
        SCOPED_TRACE(name);
        const engine::ResourceRecord* record = Skin().ReadData(engine::MakeNameKey(std::string(name) + ".sound"));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->type, engine::StringHash(".wav"));
        const std::span<const uint8_t> bytes = record->Bytes();
        SDL_AudioSpec wave {};
        Uint8* samples = nullptr;
        Uint32 length = 0;
        ASSERT_NE(SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1, &wave, &samples, &length), nullptr)
            << SDL_GetError();
        EXPECT_EQ(wave.format, AUDIO_S16LSB);
        EXPECT_GT(length, 1000u);
        int peak = 0;
        for (Uint32 i = 0; i + 1 < length; i += 2)
            peak = std::max(peak, std::abs(int(int16_t(samples[i] | samples[i + 1] << 8))));
        SDL_FreeWAV(samples);
        EXPECT_GT(peak, 3000);
        EXPECT_LT(peak, 32000);
    }
}

TEST(SkinCoverage, SkinIniAndItsBitmapsAreReadable)
{
    const std::string ini = SKINS + "/skin.ini";
    EXPECT_EQ(platform::GetProfileString("CommColors", "WaitBarfg", "", ini), "46 70 26");
    EXPECT_EQ(platform::GetProfileString("CommColors", "AdvBk", "", ini), "225 241 229");
    const std::string background = platform::GetProfileString("BitmapResource", "CommDlgBK", "", ini);
    ASSERT_FALSE(background.empty());
    for (const std::string& file : { background, std::string("advertback.bmp") }) {
        SCOPED_TRACE(file);
        std::ifstream in(SKINS + "/" + file, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        engine::DecodedImage image;
        ASSERT_TRUE(engine::CreateSdlImageDecoder()->Decode(bytes, engine::ImageFileFormat::Bmp, image));
        EXPECT_GT(image.width, 100u);
        EXPECT_GT(image.height, 50u);
    }
}
