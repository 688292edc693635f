// The entity facade's resources, image files, sounds and cursor: each looks
// its module up and does nothing when that module is not loaded.
#include "engine/core/EngineEntity.h"

#include <algorithm>

#include "engine/core/CursorFile.h"
#include "engine/core/EnginePath.h"
#include "engine/core/InputModule.h"
#include "engine/core/ModuleServices.h"
#include "engine/core/NameKey.h"
#include "platform/Cursor.h"

namespace engine {

uint32_t CEngineEntity::AddResourceFile(const std::string& path, const char* name)
{
    IResourceModule* resources = GetResourceModule();
    if (resources == nullptr)
        return 0;
    return resources->AddFile(path, name != nullptr ? std::string_view(name) : std::string_view()).rs;
}

std::span<const uint8_t> CEngineEntity::FindResource(std::string_view name) const
{
    IResourceModule* resources = GetResourceModule();
    if (resources == nullptr)
        return {};
    const NameKey key = MakeNameKey(name);
    return resources->Exists(key) ? resources->Find(key) : std::span<const uint8_t>();
}

int CEngineEntity::ReleaseImage(std::string_view name, bool also_resource)
{
    IPaintImages* images = GetPaintImages();
    if (images == nullptr)
        return 0;
    if (also_resource) {
        if (IResourceModule* resources = GetResourceModule()) {
            ImageRef ref;
            images->LoadImageByName(ref, name, 0);
            if (ref.record != nullptr)
                resources->Release(ref.key);
        }
    }
    images->ReleaseImage(name);
    return 1;
}

int CEngineEntity::SaveImageAsPps(std::string_view name, const std::string& path)
{
    ImageRef ref;
    if (GetImage(ref, name, 0).record == nullptr)
        return 0;
    IPaintImages* images = GetPaintImages();
    return images != nullptr ? images->SaveAsPps(ref, path) : 0;
}

uint32_t CEngineEntity::LoadSound(std::string_view name, uint32_t repeats, const EngineEvent* done)
{
    IMusicModule* music = GetMusicModule();
    return music != nullptr ? music->PlayByName(name, repeats, done != nullptr ? *done : EngineEvent {}) : 0;
}

void CEngineEntity::StopSound(uint32_t channel)
{
    if (IMusicModule* music = GetMusicModule())
        music->Stop(channel);
}

void CEngineEntity::ResumeSound(uint32_t channel, bool restart)
{
    if (IMusicModule* music = GetMusicModule())
        music->Resume(channel, restart);
}

void CEngineEntity::PauseSound(uint32_t channel)
{
    if (IMusicModule* music = GetMusicModule())
        music->Pause(channel);
}

void CEngineEntity::FreeSound(std::string_view name)
{
    if (IMusicModule* music = GetMusicModule())
        music->FreeSound(name);
}

void CEngineEntity::StopAllSounds()
{
    if (IMusicModule* music = GetMusicModule())
        music->StopAll();
}

void CEngineEntity::SetSoundFlag(int32_t muted)
{
    if (IMusicModule* music = GetMusicModule())
        music->SetFlag(muted);
}

void CEngineEntity::SetCursorHandle(uintptr_t cursor)
{
    if (InputModule* input = GetInputModule())
        input->SetCursorHandle(cursor);
}

namespace {

/// Cursor files are small; anything larger is refused unread.
constexpr size_t CURSOR_FILE_CAP = size_t { 4 } << 20;

/// The cursor made by the last SetCursorFromFile; freed when the next one
/// replaces it (the engine window has one cursor).
platform::CursorHandle s_file_cursor = 0;

} // namespace

bool CEngineEntity::SetCursorFromFile(const std::string& path)
{
    InputModule* input = GetInputModule();
    IPaintImages* images = GetPaintImages();
    if (input == nullptr || images == nullptr)
        return false;
    const std::optional<std::vector<uint8_t>> file = ReadWholeFile(path, CURSOR_FILE_CAP);
    const std::optional<CursorFileEntry> entry = file ? ReadCursorFile(*file) : std::nullopt;
    ImageRecord record;
    if (!entry || !images->DecodeImageBytes(entry->icon_file, ".ico", record))
        return false;
    const std::vector<uint8_t> pixels = ImageRecordToBgra(record);
    const platform::CursorHandle cursor = pixels.empty() ? 0
        : platform::CreateCursorFromPixels(pixels.data(), record.width, record.height, record.width * 4,
                                           std::min<int32_t>(entry->hot_x, record.width - 1),
                                           std::min<int32_t>(entry->hot_y, record.height - 1));
    if (cursor == 0)
        return false;
    input->SetCursorHandle(cursor);
    if (s_file_cursor != 0)
        (void)platform::DestroyCursor(s_file_cursor);
    s_file_cursor = cursor;
    return true;
}

void CEngineEntity::ShowSystemCursor(bool show)
{
    if (InputModule* input = GetInputModule())
        input->ShowSystemCursor(show);
}

} // namespace engine
