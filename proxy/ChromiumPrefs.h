#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The JSON files of a Chromium-family browser's user-data folder, as far as the program
// reads and edits them: the profiles named in "Local State", and the WebRTC policy in a
// profile's "Preferences". Edits keep every other key, and the browser's key order.

// Files larger than this are no browser's own and are left alone.
inline constexpr std::size_t kMaxBrowserFileSize = 32 * 1024 * 1024;

// The policy value that keeps WebRTC's UDP from going around the proxy.
inline constexpr const char* kNonProxiedUdpDisabled = "disable_non_proxied_udp";

// Whether JSON text nests no deeper than a browser writes (its own reader stops at 200
// levels). Deeper text is refused before it is parsed: the JSON writer recurses.
bool shallowJson(std::string_view text);

// The profile folders named in Local State's profile.info_cache, in its order, those that
// are a plain folder name (not "." or "..", no separator, no drive); nothing when the text
// is not a JSON object. A Local State without profiles names none.
std::optional<std::vector<std::string>> profileNames(std::string_view localState);

// What a profile's Preferences holds of the WebRTC policy.
struct WebRtcPolicy
{
    // The "webrtc" object was there.
    bool hadWebRtc = false;
    // webrtc.ip_handling_policy as JSON text; nothing when the key is missing.
    std::optional<std::string> value;
    bool operator==(const WebRtcPolicy&) const = default;
};

// The policy that holds WebRTC to the proxy.
WebRtcPolicy proxiedWebRtcPolicy();

// The policy as the text holds it; nothing when the text is not a JSON object, nests
// deeper than a browser writes, or has a "webrtc" that is not an object.
std::optional<WebRtcPolicy> readWebRtcPolicy(std::string_view preferences);

// The text with the policy set as given: the key set or removed, and a "webrtc" object
// that was not there and is left empty removed again. Nothing when readWebRtcPolicy would
// give nothing, or the value is not JSON.
std::optional<std::string> withWebRtcPolicy(std::string_view preferences, const WebRtcPolicy& policy);
