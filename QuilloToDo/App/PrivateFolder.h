#pragma once

#include <QString>

#include <optional>

namespace quillo {

// Places no other user can reach: what a local socket needs, since whoever can enter its folder can
// connect to it or put a socket of their own in its place.

// True when `path` is a folder (not a symbolic link to one) that this user owns and nobody else may
// read, write or enter (mode 0700 or stricter).
bool isPrivateFolder(const QString& path);

// True when `path` is a socket (not a symbolic link) this user owns, in a private folder.
bool isPrivateSocket(const QString& path);

// A new private folder "<temporary folder>/<prefix>XXXXXX" (random letters in place of the Xs); its
// name cannot be guessed, so nobody can make it first. Nothing, and the reason in `error`, when it
// cannot be made.
std::optional<QString> makePrivateFolder(const QString& prefix, QString& error);

}  // namespace quillo
