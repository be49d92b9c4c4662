#pragma once

#include "platform/sockets.h"

namespace tq {

// Winsock 2.2: WSAStartup per session and WSACleanup when it goes, closesocket per socket.
class Win32Sockets : public Sockets {
  public:
    std::unique_ptr<SocketSession> Start() override;
};

}  // namespace tq
