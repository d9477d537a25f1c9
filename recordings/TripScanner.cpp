#include "recordings/TripScanner.h"

#include "recordings/RecordingDates.h"

#include <QMetaObject>
#include <QPointer>

namespace {

bool SameThresholds(const EventThresholds& a, const EventThresholds& b)
{
    return a.magnitude == b.magnitude && a.change == b.change;
}

}  // namespace

std::shared_ptr<const RecordingSummary> SummaryCache::Find(const RecordingFileKey& key,
                                                           const EventThresholds& thresholds) const
{
    const std::lock_guard lock(mutex_);
    const auto it = entries_.find(key.path);
    if (it == entries_.end() || !(it->second.key == key) || !SameThresholds(it->second.thresholds, thresholds))
        return nullptr;
    return it->second.summary;
}

void SummaryCache::Store(const RecordingFileKey& key, const EventThresholds& thresholds,
                         std::shared_ptr<const RecordingSummary> summary)
{
    const std::lock_guard lock(mutex_);
    entries_[key.path] = Entry{key, thresholds, std::move(summary)};
}

std::size_t SummaryCache::Size() const
{
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

std::optional<TripScan> ScanTrips(const std::vector<QString>& paths, const TripSettings& settings, SummaryCache* cache,
                                  const std::function<bool()>& stop)
{
    TripScan scan;
    scan.paths = paths;
    scan.summaries.reserve(paths.size());
    scan.members.reserve(paths.size());
    for (const QString& path : paths) {
        if (stop && stop())
            return std::nullopt;
        const RecordingFileKey key = FileKeyOf(path);
        std::shared_ptr<const RecordingSummary> summary = cache ? cache->Find(key, settings.events) : nullptr;
        if (!summary) {
            summary = std::make_shared<const RecordingSummary>(SummarizeRecordingFile(path, settings.events));
            if (cache && key.size >= 0)
                cache->Store(key, settings.events, summary);
        }
        const FileTime time = FileWriteTime(path);
        TripMember member;
        member.timeKnown = time.result == 0;
        member.endSeconds = time.seconds;
        // The movie's length where it has one, else the seconds of its track.
        member.durationSeconds = summary->durationSeconds > 0 ? summary->durationSeconds
                                                              : std::int64_t(summary->positions.size());
        member.firstFix = summary->FirstFix();
        member.lastFix = summary->LastFix();
        scan.members.push_back(member);
        scan.summaries.push_back(std::move(summary));
    }
    scan.trips = GroupTrips(scan.members, settings);
    return scan;
}

TripScanner::TripScanner(QObject* parent) : QObject(parent)
{
    worker_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

TripScanner::~TripScanner()
{
    worker_.request_stop();
    wake_.notify_all();
    // jthread joins here; the worker is between files or inside one.
}

void TripScanner::Start(std::vector<QString> paths, const TripSettings& settings)
{
    {
        const std::lock_guard lock(mutex_);
        pending_ = Job{++generation_, std::move(paths), settings};
    }
    result_.reset();
    wake_.notify_all();
}

void TripScanner::Run(std::stop_token stop)
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, stop, [this] { return pending_.has_value(); }))
                return;
            job = std::move(*pending_);
            pending_.reset();
        }
        const std::uint64_t generation = job.generation;
        // Abandoned when the window is closing or a newer list was handed over.
        const auto abandoned = [&] {
            if (stop.stop_requested())
                return true;
            const std::lock_guard lock(mutex_);
            return generation_ != generation;
        };
        std::optional<TripScan> scan = ScanTrips(job.paths, job.settings, cache_.get(), abandoned);
        if (!scan)
            continue;
        auto shared = std::make_shared<const TripScan>(std::move(*scan));
        // Queued to the scanner's thread; dropped by Qt if the scanner is gone by then.
        QMetaObject::invokeMethod(
            this, [this, generation, shared] { Deliver(generation, shared); }, Qt::QueuedConnection);
    }
}

void TripScanner::Deliver(std::uint64_t generation, std::shared_ptr<const TripScan> scan)
{
    {
        const std::lock_guard lock(mutex_);
        if (generation != generation_)
            return;
    }
    result_ = std::move(scan);
    emit Finished();
}
