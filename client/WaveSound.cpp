#include "client/WaveSound.h"

#include <atomic>

namespace client {

namespace {

std::atomic<IWaveSoundPlayer*> s_player { nullptr };

} // namespace

void SetWaveSoundPlayer(IWaveSoundPlayer* player) { s_player.store(player); }

bool PlaySoundResource(int resource_id, uint32_t flags)
{
    if (resource_id < WAVE_RESOURCE_FIRST || resource_id > WAVE_RESOURCE_LAST)
        return false;
    IWaveSoundPlayer* player = s_player.load();
    return player && player->PlayWave(resource_id, flags | SOUND_FLAG_MEMORY | SOUND_FLAG_NO_DEFAULT);
}

} // namespace client
