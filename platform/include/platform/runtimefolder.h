#pragma once
// The runtime folder (paths::runtimeDir()) holds the instance locks and the local
// sockets. Whoever can write into it can take a program's lock, plant a link where a
// lock or socket is created, or stand in for a socket, so it is used only when it is
// private to the effective user.
#include <QString>

namespace mvnz::runtimefolder {

// Readies the runtime folder and says whether it may be used: a missing folder is
// created with mode 0700; a real folder (not a link) owned by the effective user
// that no one else can write is narrowed to 0700. "" when usable; otherwise a message
// naming the folder and what is wrong (not a folder, a link, another owner,
// writable by group or others, cannot be read). The folders and links on the way to
// it must leave it in place too: each one is owned by root or the effective user,
// and no folder is writable by anyone else unless it is sticky (as /tmp).
QString prepare();

// Readies path, a socket name in the runtime folder, for a listener: the folder must
// be usable (prepare()), and what lies at path is removed only when it is a socket
// of the effective user (one left by an ended program; the caller holds the lock
// that makes it stale). A link, any other file and another user's socket stay and
// are refused. "" when the name is free; otherwise why not.
QString claimSocket(const QString& path);

}  // namespace mvnz::runtimefolder
