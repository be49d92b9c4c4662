#include "install/spooler/queue_watch.h"

#include <utility>

#include "install/spooler/spooler_queries.h"

namespace tq {

DriverQueueWatch::DriverQueueWatch(Spooler& spooler, std::string_view driverName)
    : listing_(spooler.MakeQueueListing()), driverName_(driverName) {}

const std::vector<std::string>& DriverQueueWatch::Poll(bool readRecords) {
    // The names first: a queue that comes between the two listings differs from them at the
    // next poll and is read then.
    const bool listed = listing_->Names(names_);
    ++pollsSinceRead_;
    if (readRecords || !listed || !namesKnown_ || names_ != namesRead_ ||
        pollsSinceRead_ >= kReadEvery) {
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
