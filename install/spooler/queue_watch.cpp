#include "install/spooler/queue_watch.h"

#include <utility>

#include "install/spooler/spooler_queries.h"

namespace tq {

DriverQueueWatch::DriverQueueWatch(Spooler& spooler, std::string_view driverName)
    : listing_(spooler.MakeQueueListing()), driverName_(driverName) {}

const std::vector<std::string>& DriverQueueWatch::Poll(bool readRecords) {
    ++pollsSinceRead_;
    const bool due = readRecords || !namesKnown_ || pollsSinceRead_ >= kReadEvery;
    // Asked every poll: a change reported since the last one is taken in this one.
    const bool mayHaveChanged = listing_->MayHaveChanged();
    if (!due && !mayHaveChanged) return queues_;
    // The names before the records: a queue that comes between the two listings differs from
    // them at the next poll and is read then.
    const bool listed = listing_->Names(names_);
    if (due || !listed || names_ != namesRead_) {
        std::swap(namesRead_, names_);
        pollsSinceRead_ = 0;
        // A failed read finds no queue of the driver, as a failed listing always has, and is
        // made again at the next poll.
        const bool read = listing_->Printers(records_);
        namesKnown_ = listed && read;
        queues_ = DriverPrinterNames(records_, driverName_);
    }
    return queues_;
}

}  // namespace tq
