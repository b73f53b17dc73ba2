#include "download/task.h"

int ConnectionSend(Connection& c, std::string_view bytes, int timeoutMs, const StopCheck& stop) {
    return c.tls.active() ? c.tls.Send(c.socket, bytes, timeoutMs, stop)
                          : SendWithTimeout(c.socket, bytes, timeoutMs, stop);
}

Received ConnectionReceive(Connection& c, char* buffer, int wanted, int timeoutMs, const StopCheck& stop) {
    return c.tls.active() ? c.tls.Receive(c.socket, buffer, wanted, timeoutMs, stop)
                          : ReceiveWithTimeout(c.socket, buffer, wanted, timeoutMs, stop);
}
