// Spooler state a scenario arranges before it starts the installer, and reads back afterwards.
// Through the ANSI winspool calls, as the installer itself uses them; names are UTF-8 here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tq::e2e {

// A level-3 driver with placeholder file names: Wine's spooler does not check that the files
// exist, and the installer only looks at driver names. Registered for the robot's own
// environment ("Windows x64"), or for `environment` when one is given.
bool AddDriver(std::string_view driverName, std::string* error, const char* environment = nullptr);

// A local queue on `port`. Wine accepts any port name, which lets a scenario give a queue the
// name of a TCP/IP port without any network.
bool AddQueue(std::string_view queueName, std::string_view port, std::string_view driverName,
              std::string* error);

// A local queue that records `shareName`; `shared` also sets PRINTER_ATTRIBUTE_SHARED. Without
// it the queue is not shared but still carries the name, as a queue whose sharing was turned
// off does.
bool AddQueueWithShareName(std::string_view queueName, std::string_view port,
                           std::string_view driverName, std::string_view shareName, bool shared,
                           std::string* error);

struct QueueInfo {
    std::string name;
    std::string port;
    std::string driver;
    std::string shareName;
    unsigned long attributes = 0;
    std::string printProcessor;
    std::string datatype;
};
// EnumPrintersA level 2 of the local queues, in the spooler's order.
std::vector<QueueInfo> ListQueues();

}  // namespace tq::e2e
