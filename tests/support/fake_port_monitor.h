// A port monitor for host tests: records the channel opened and every command with a copy of the
// bytes it carried, answers opens and commands as scripted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/port_monitor.h"

namespace tq::test {

class FakePortMonitor : public PortMonitor {
  public:
    struct Command {
        std::u16string name;
        std::vector<std::uint8_t> input;
    };

    std::unique_ptr<PortMonitorChannel> OpenChannel(const std::string& objectName) override {
        openedNames.push_back(objectName);
        if (!openSucceeds) return nullptr;
        return std::make_unique<Channel>(*this);
    }

    bool openSucceeds = true;
    bool commandsSucceed = true;
    std::uint32_t status = 0;  // what SendForStatus reports when the command was taken
    std::vector<std::string> openedNames;
    std::vector<Command> commands;
    int channelsClosed = 0;

  private:
    class Channel : public PortMonitorChannel {
      public:
        explicit Channel(FakePortMonitor& owner) : owner_(owner) {}
        ~Channel() override { ++owner_.channelsClosed; }
        bool Send(std::u16string_view command, const std::uint8_t* input,
                  std::size_t inputSize) override {
            owner_.commands.push_back(
                {std::u16string(command), std::vector<std::uint8_t>(input, input + inputSize)});
            return owner_.commandsSucceed;
        }
        std::uint32_t SendForStatus(std::u16string_view command, const std::uint8_t* input,
                                    std::size_t inputSize) override {
            Send(command, input, inputSize);
            return owner_.commandsSucceed ? owner_.status : 1796;
        }

      private:
        FakePortMonitor& owner_;
    };
};

}  // namespace tq::test
