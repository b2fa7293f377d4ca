#pragma once

// The words of the module's replies that the operations look for (case-sensitive).
namespace tavrin::token {

inline constexpr char Connected[] = "Connected";     // PING: a peripheral connected and paired
inline constexpr char WaitForKeep[] = "WaitForKEEP"; // PING: a peripheral connected, not paired
inline constexpr char NoConnection[] = "NoConnection"; // PING, KEEP: no peripheral connected
inline constexpr char NoPeer[] = "No Peer";           // PEERADDR: no pair stored
inline constexpr char PeerDeleted[] = "Peer Deleted"; // KILL: the pair was removed
inline constexpr char MemError[] = "MemError";        // KEEP, PEERADDR(address): the pair not stored

} // namespace tavrin::token
