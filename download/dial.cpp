#include "download/dial.h"

namespace {

constexpr MessageLevel Info = MessageLevel::Info, Error = MessageLevel::Error;

}  // namespace

bool ResolvePeer(DownloadTask& task, Connection& c, const HostAndPort& peer, const PeerWording& wording,
                 const Text& shownOnFailure, bool ipv4Only) {
    task.connectPort = peer.port;
    task.peers.clear();
    bool literal = LiteralAddress(peer.name, peer.port).has_value();
    if (!literal) ReportFormatted(task, c.id, Info, wording.resolving, peer.name.c_str());
    task.peers = LookUpHost(peer.name, peer.port, ipv4Only);
    if (!task.peers.empty()) {
        task.address = task.peers.front().text;
        return true;
    }
    ReportFormatted(task, c.id, Error, wording.failed, shownOnFailure.c_str());
    return false;
}

ConnectOutcome ConnectPeer(DownloadTask& task, Connection& c, Socket& socket, const char* connecting) {
    // Only the first connection tries more than one address, before any
    // other connection exists; the list then shrinks to the one that worked.
    const std::vector<PeerAddress> peers = task.peers;
    const int port = task.connectPort;
    ConnectOutcome outcome = ConnectOutcome::Failed;
    ULONGLONG began = GetTickCount64();
    for (std::size_t i = 0; i < peers.size(); ++i) {
        const PeerAddress& peer = peers[i];
        long long left = task.param.ConnectTimeout - static_cast<long long>(GetTickCount64() - began);
        if (i > 0 && left <= 0) break;
        int share = static_cast<int>(std::max<long long>(left, 0) / static_cast<long long>(peers.size() - i));
        ReportFormatted(task, c.id, Info, connecting, peer.text.c_str(), port);
        outcome = ConnectWithTimeout(socket, peer, share, [&task, &c] { return ShouldStop(task, c); });
        if (outcome == ConnectOutcome::Connected) {
            if (peers.size() > 1) task.peers = {peer};
            task.address = peer.text;
            return outcome;
        }
        socket.Close();
        if (outcome == ConnectOutcome::Stopped) return outcome;
        ReportFormatted(task, c.id, Error,
                        outcome == ConnectOutcome::TimedOut ? "连接 [%s:%d]超时" : "连接 [%s:%d]失败",
                        peer.text.c_str(), port);
    }
    return outcome;
}
