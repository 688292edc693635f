#include "net/Crc32Job.h"

#include "net/Crc32.h"
#include "net/NetMessages.h"

#include "platform/Path.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace net {

namespace {

std::atomic<uint32_t> s_next_job_id { 1 };

struct Crc32Job {
    uint32_t id { 0 };
    std::vector<uint8_t> data;
    std::string path;
    bool from_file { false };
    platform::WindowHandle progress_bar { platform::WindowHandle::None };
    platform::WindowHandle result_window { platform::WindowHandle::None };
};

void Progress(const Crc32Job& job, uint64_t done, uint64_t total)
{
    if (job.progress_bar == platform::WindowHandle::None || total == 0)
        return;
    const auto percent = uintptr_t(double(done) * 100.0 / double(total));
    platform::PostMessage(job.progress_bar, PBM_SETPOS, percent);
}

uint32_t RunOverData(const Crc32Job& job)
{
    uint32_t reg = CRC32_START;
    const std::span<const uint8_t> data(job.data);
    for (size_t offset = 0; offset < data.size(); offset += CRC32_JOB_CHUNK) {
        const size_t n = std::min(CRC32_JOB_CHUNK, data.size() - offset);
        reg = Crc32Update(reg, data.subspan(offset, n));
        Progress(job, offset, data.size());
    }
    return data.empty() ? 0 : CRC32_FINISH(reg);
}

uint32_t RunOverFile(const Crc32Job& job)
{
    const platform::FileHandle file = platform::OpenFile(job.path, "rb");
    if (!file)
        return 0;
    std::fseek(file.get(), 0, SEEK_END);
    const long size = std::ftell(file.get());
    std::fseek(file.get(), 0, SEEK_SET);
    std::vector<uint8_t> chunk(CRC32_JOB_CHUNK);
    uint32_t reg = CRC32_START;
    uint64_t done = 0;
    size_t got = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0) {
        reg = Crc32Update(reg, std::span<const uint8_t>(chunk.data(), got));
        done += got;
        Progress(job, done, uint64_t(size > 0 ? size : 0));
    }
    return done == 0 ? 0 : CRC32_FINISH(reg);
}

uint32_t Start(std::unique_ptr<Crc32Job> job)
{
    job->id = s_next_job_id.fetch_add(1);
    if (job->id == 0)
        job->id = s_next_job_id.fetch_add(1);
    const uint32_t id = job->id;
    try {
        std::thread([job = std::move(job)] {
            if (job->progress_bar != platform::WindowHandle::None) {
                platform::PostMessage(job->progress_bar, PBM_SETPOS, 0);
                platform::PostMessage(job->progress_bar, PBM_SETRANGE32, 0, 100);
            }
            const uint32_t crc = job->from_file ? RunOverFile(*job) : RunOverData(*job);
            if (job->result_window != platform::WindowHandle::None)
                platform::PostMessage(job->result_window, UM_CRC_RESULT, job->id, intptr_t(crc));
        }).detach();
    } catch (...) {
        return 0;
    }
    return id;
}

} // namespace

uint32_t StartCrc32Job(std::span<const uint8_t> bytes, platform::WindowHandle progress_bar,
                       platform::WindowHandle result_window)
{
    auto job = std::make_unique<Crc32Job>();
    job->data.assign(bytes.begin(), bytes.end());
    job->progress_bar = progress_bar;
    job->result_window = result_window;
    return Start(std::move(job));
}

uint32_t StartCrc32FileJob(const std::string& path, platform::WindowHandle progress_bar,
                           platform::WindowHandle result_window)
{
    auto job = std::make_unique<Crc32Job>();
    job->path = path;
    job->from_file = true;
    job->progress_bar = progress_bar;
    job->result_window = result_window;
    return Start(std::move(job));
}

} // namespace net
