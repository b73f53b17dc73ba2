#pragma once
// Finding and reaching a connection's peer, the same for every protocol: a
// name is looked up once, by the first connection, and its addresses are
// tried in the resolver's order; every later connect of the task goes to the
// address that answered.
#include "download/task.h"

// The look-up texts of one kind of peer (the server, or the proxy).
struct PeerWording {
    const char* resolving;  // before the look-up: the name
    const char* failed;     // the name did not resolve: `shownOnFailure`
};

// Looks the peer up into the task (a literal address is taken as it is,
// without a message). False, after the failure text, when the name does not
// resolve.
bool ResolvePeer(DownloadTask& task, Connection& c, const HostAndPort& peer, const PeerWording& wording,
                 const Text& shownOnFailure, bool ipv4Only = false);

// Connects `socket` to the task's peer within ConnectTimeout, each address
// given its share of the time left, until one answers; that one is then the
// task's address. Time-outs and failures are reported for each address.
ConnectOutcome ConnectPeer(DownloadTask& task, Connection& c, Socket& socket, const char* connecting);
