#pragma once

#include <string>
#include <utility>

#include "platform/sockets.h"

namespace tq {

// Winsock 2.2: WSAStartup per session and WSACleanup when it goes, closesocket per socket.
// ws2_32.dll is loaded by bare name at run time; without it, or without one of its functions,
// no session starts. Tests name another library.
class Win32Sockets : public Sockets {
  public:
    explicit Win32Sockets(std::string library = "ws2_32.dll") : library_(std::move(library)) {}
    std::unique_ptr<SocketSession> Start() override;

  private:
    std::string library_;
};

}  // namespace tq
