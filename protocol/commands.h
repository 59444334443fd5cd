#pragma once

// The texts and limits of the access point's line protocol. Every text line
// ends in a single line feed; no terminating zero byte ever goes on the wire.

inline constexpr char kIdentifyQuestion[] = "Bluetooth Access Point?\n";
inline constexpr char kIdentifyAnswer[] = "Yes, I'm Bluetooth Access Point.\n";
inline constexpr char kLinkReadCommand[] = "LINKREAD\n";
inline constexpr char kLinkDeleteCommand[] = "LINKDEL\n";
inline constexpr char kNameReadCommand[] = "LNAMREAD\n";
inline constexpr char kNameUpdateCommand[] = "LNAMUPDAT\n";
inline constexpr char kPinUpdateCommand[] = "PINUPDAT\n";
inline constexpr char kExitCommand[] = "EXIT\n";
inline constexpr char kOkReply[] = "OK\n";
inline constexpr char kLineFeed[] = "\n";

// Reply timeout in force from the identification on, per byte.
inline constexpr int kConversationTimeoutMs = 10000;

// The host keeps at most this many bytes of a device name reply.
inline constexpr int kMaxNameReplyBytes = 247;
inline constexpr int kNameBufferSize = kMaxNameReplyBytes + 1;

// Sizes of the fields of a paired device as it travels on the wire.
inline constexpr int kAddressBytes = 6;
inline constexpr int kLinkKeyBytes = 16;
inline constexpr int kCountBytes = 2;
