#pragma once

// The six-digit codes that begin Warden's progress lines: Warden writes them, the tray
// program acts on them. Both include this header, so neither can drift from the other.
// Plain constants only (no asio), so the tray program's logic includes it as it is.

namespace warden::code {

inline constexpr int kResolving = 160036;
inline constexpr int kConnecting = 160032;
inline constexpr int kAuthenticating = 160238;
inline constexpr int kConnected = 160239;
inline constexpr int kReady = 160138;
inline constexpr int kTimedOut = 110033;
inline constexpr int kRejected = 160244;
inline constexpr int kRefused = 160034;
inline constexpr int kUnreachable = 160033;
// The exit or the local port could not be set up: the tray asks for a restart.
inline constexpr int kSetupFailed = 160243;
inline constexpr int kFailingRepeatedly = 171001;
inline constexpr int kDisconnected = 160037;
inline constexpr int kDestinationFailed = 160207;
inline constexpr int kRetrying = 160199;

// Codes of the protocol that this Warden does not write but the tray still knows: a
// second authenticating code, and two it passes over without a trace.
inline constexpr int kAuthenticatingAlso = 160270;
inline constexpr int kPassedOver = 160325;
inline constexpr int kPassedOverAlso = 160129;

} // namespace warden::code
