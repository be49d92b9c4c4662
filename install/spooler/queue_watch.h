// The local queues of one driver, watched by polling: the USB queue watcher waits with it for
// the queue plug-and-play makes. A poll lists the queue names alone, the cheapest answer of the
// spooler, unless the spooler reports that nothing changed (QueueListing::MayHaveChanged); the
// level-2 records, the only ones that name a queue's driver, are read when the names differ
// from those listed before the last read, when the names cannot be listed, when the caller
// asks, after a read that failed, and at the latest on every kReadEvery-th poll (a queue that
// keeps its name while its driver changes shows in no list of names).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spooler.h"

namespace tq {

class DriverQueueWatch {
  public:
    static constexpr int kReadEvery = 100;  // about a second of the watcher's 10 ms polls

    DriverQueueWatch(Spooler& spooler, std::string_view driverName);

    // The driver's queues in the spooler's order (DriverPrinterNames), from the records of this
    // poll or of the last poll that read them; `readRecords` makes this poll read them.
    const std::vector<std::string>& Poll(bool readRecords = false);

  private:
    std::unique_ptr<QueueListing> listing_;
    std::string driverName_;
    std::vector<SpoolerText> names_;      // this poll's names
    std::vector<SpoolerText> namesRead_;  // the names listed just before the last read
    bool namesKnown_ = false;  // namesRead_ were listed and the read after them succeeded
    int pollsSinceRead_ = 0;
    std::vector<PrinterRecord> records_;
    std::vector<std::string> queues_;
};

}  // namespace tq
