#pragma once
// Reading the recordings of the list for their trips and events, on a worker thread of its own.
// The window hands over the list and goes on; the result comes back as a queued signal on the
// thread that owns the scanner. Summaries are cached per file (path, size and time), so a list
// read once is grouped again at once.

#include "recordings/Trips.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

/// The trips and events of one list.
struct TripScan {
    std::vector<QString> paths;                                      ///< the list, in its order
    std::vector<std::shared_ptr<const RecordingSummary>> summaries;  ///< never null
    std::vector<TripMember> members;
    std::vector<int> trips;  ///< trip number of each recording, from 1
};

/// Summaries by file, safe to use from any thread.
class SummaryCache {
public:
    /// The summary of the file as it is now (key), or null when none is kept for it.
    std::shared_ptr<const RecordingSummary> Find(const RecordingFileKey& key, const EventThresholds& thresholds) const;
    void Store(const RecordingFileKey& key, const EventThresholds& thresholds,
               std::shared_ptr<const RecordingSummary> summary);
    std::size_t Size() const;

private:
    struct Entry {
        RecordingFileKey key;
        EventThresholds thresholds;
        std::shared_ptr<const RecordingSummary> summary;
    };
    mutable std::mutex mutex_;
    std::map<QString, Entry> entries_;
};

/// Reads (or takes from the cache) every recording of paths and groups them into trips. stop,
/// when given, is asked between files; nullopt when it said stop.
std::optional<TripScan> ScanTrips(const std::vector<QString>& paths, const TripSettings& settings,
                                  SummaryCache* cache = nullptr, const std::function<bool()>& stop = {});

class TripScanner : public QObject {
    Q_OBJECT
public:
    explicit TripScanner(QObject* parent = nullptr);
    /// Asks the worker to stop and waits for the file it is reading, if any.
    ~TripScanner() override;

    /// Starts reading paths; a scan still running is abandoned. Returns at once.
    void Start(std::vector<QString> paths, const TripSettings& settings);
    /// The scan of the list last started, once it is done; null before.
    std::shared_ptr<const TripScan> Result() const { return result_; }
    SummaryCache& Cache() { return *cache_; }

signals:
    /// The scan of the list last started is done; Result() holds it.
    void Finished();

private:
    struct Job {
        std::uint64_t generation = 0;
        std::vector<QString> paths;
        TripSettings settings;
    };
    void Run(std::stop_token stop);
    void Deliver(std::uint64_t generation, std::shared_ptr<const TripScan> scan);

    std::shared_ptr<SummaryCache> cache_ = std::make_shared<SummaryCache>();
    std::shared_ptr<const TripScan> result_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::optional<Job> pending_;
    std::uint64_t generation_ = 0;  // of the last Start; guarded by mutex_
    std::jthread worker_;           // last member: stopped and joined first
};
