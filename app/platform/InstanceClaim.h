#pragma once

#include <QString>
#include <QtGlobal>

namespace tavlex {

// What the single-instance check needs of the system.

// The per-user folder of the socket and the lock: $XDG_RUNTIME_DIR/tavlex when that runtime
// folder is ours, else <temp>/tavlex-<uid>. Made with mode 0700 and checked to be a folder of
// ours that no one else may enter; empty when no such folder can be had (the viewer then runs
// without handing over).
QString InstanceFolder();

// The claim: an exclusive lock on path (never through a link) that the kernel drops when the
// process ends, however it ends. The open descriptor, or -1 when another process holds it.
int TryTakeClaim(const QString& path);
void DropClaim(int fd);

// The connected peer runs as this process's user.
bool PeerIsThisUser(qintptr socketDescriptor);

}  // namespace tavlex
