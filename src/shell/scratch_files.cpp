#include "shell/scratch_files.h"

#include <cmath>

#include "samples/file_bytes.h"
#include "samples/wav_image.h"

namespace zembera {

ScratchFiles::ScratchFiles(std::filesystem::path folder)
    : folder_(std::move(folder)), writer_([this] { run(); }) {}

ScratchFiles::~ScratchFiles() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

std::string ScratchFiles::fileName(int s) {
    return std::to_string(s) + "zz.zz";
}

void ScratchFiles::write(int s, const engine::Note& note, double rate) {
    if (s < 1 || s > kStringCount) return;
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(Job{s, note, rate});
    }
    changed_.notify_all();
}

void ScratchFiles::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void ScratchFiles::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
            if (jobs_.empty()) return; // ending, with everything written
            job = std::move(jobs_.front());
            jobs_.pop_front();
            busy_ = true;
        }
        const auto s = static_cast<std::size_t>(job.string);
        const std::filesystem::path path = file(job.string);
        const auto same = [&job](const std::optional<engine::Note>& other) {
            return other && other->frames == job.note.frames && other->count == job.note.count;
        };
        std::error_code error;
        const bool current = same(written_[s]) && std::filesystem::exists(path, error);
        if (!current && !same(failed_[s])) {
            const std::vector<std::uint8_t> bytes =
                job.note.silent() ? std::vector<std::uint8_t>{}
                                  : wavFileBytes(job.note.samples(),
                                                 static_cast<std::uint32_t>(std::lround(job.rate)));
            (writeFileWhole(path, bytes) ? written_[s] : failed_[s]) = job.note;
        }
        job = Job{}; // the note may be let go here, off the UI thread
        {
            const std::lock_guard lock(mutex_);
            busy_ = false;
        }
        changed_.notify_all();
    }
}

} // namespace zembera
