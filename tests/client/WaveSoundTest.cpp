// Wave requests reach the installed player with the resource flags added,
// and are silent without one.
#include <gtest/gtest.h>

#include <vector>

#include "client/WaveSound.h"

using namespace client;

namespace {

class CRecordingPlayer final : public IWaveSoundPlayer {
public:
    std::vector<std::pair<int, uint32_t>> played;
    bool PlayWave(int resource_id, uint32_t flags) override
    {
        played.emplace_back(resource_id, flags);
        return true;
    }
};

} // namespace

TEST(WaveSound, RequestsGoToTheInstalledPlayer)
{
    CRecordingPlayer player;
    SetWaveSoundPlayer(&player);
    EXPECT_TRUE(PlaySoundResource(29012, SOUND_FLAG_ASYNC));
    EXPECT_FALSE(PlaySoundResource(29016, SOUND_FLAG_ASYNC));
    EXPECT_FALSE(PlaySoundResource(29009, 0));
    SetWaveSoundPlayer(nullptr);
    ASSERT_EQ(player.played.size(), 1u);
    EXPECT_EQ(player.played[0].first, 29012);
    EXPECT_EQ(player.played[0].second, SOUND_FLAG_ASYNC | SOUND_FLAG_MEMORY | SOUND_FLAG_NO_DEFAULT);
}

TEST(WaveSound, SilentWithoutAPlayer)
{
    SetWaveSoundPlayer(nullptr);
    EXPECT_FALSE(PlaySoundResource(WAVE_RESOURCE_FIRST, 0));
}
