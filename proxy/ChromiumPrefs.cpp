#include "proxy/ChromiumPrefs.h"

#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

constexpr int kMaxDepth = 200;

} // namespace

bool shallowJson(std::string_view text)
{
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > kMaxDepth) {
                return false;
            }
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

namespace {

std::optional<Json> parse(std::string_view text)
{
    if (!shallowJson(text)) {
        return std::nullopt;
    }
    Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded()) {
        return std::nullopt;
    }
    return json;
}

std::optional<Json> parseObject(std::string_view text)
{
    std::optional<Json> json = parse(text);
    return json && json->is_object() ? json : std::nullopt;
}

bool plainFolderName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}

constexpr const char* kWebRtc = "webrtc";
constexpr const char* kPolicy = "ip_handling_policy";

} // namespace

std::optional<std::vector<std::string>> profileNames(std::string_view localState)
{
    const std::optional<Json> json = parseObject(localState);
    if (!json) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    const auto profile = json->find("profile");
    if (profile == json->end() || !profile->is_object()) {
        return names;
    }
    const auto cache = profile->find("info_cache");
    if (cache == profile->end() || !cache->is_object()) {
        return names;
    }
    for (const auto& [name, entry] : cache->items()) {
        if (plainFolderName(name)) {
            names.push_back(name);
        }
    }
    return names;
}

WebRtcPolicy proxiedWebRtcPolicy()
{
    return {true, Json(kNonProxiedUdpDisabled).dump()};
}

std::optional<WebRtcPolicy> readWebRtcPolicy(std::string_view preferences)
{
    const std::optional<Json> json = parseObject(preferences);
    if (!json) {
        return std::nullopt;
    }
    const auto webrtc = json->find(kWebRtc);
    if (webrtc == json->end()) {
        return WebRtcPolicy{};
    }
    if (!webrtc->is_object()) {
        return std::nullopt;
    }
    WebRtcPolicy policy{true, std::nullopt};
    if (const auto value = webrtc->find(kPolicy); value != webrtc->end()) {
        policy.value = value->dump();
    }
    return policy;
}

std::optional<std::string> withWebRtcPolicy(std::string_view preferences, const WebRtcPolicy& policy)
{
    std::optional<Json> json = parseObject(preferences);
    if (!json) {
        return std::nullopt;
    }
    std::optional<Json> value;
    if (policy.value) {
        value = parse(*policy.value);
        if (!value) {
            return std::nullopt;
        }
    }
    const auto webrtc = json->find(kWebRtc);
    if (webrtc != json->end() && !webrtc->is_object()) {
        return std::nullopt;
    }
    if (value) {
        (*json)[kWebRtc][kPolicy] = std::move(*value);
    } else if (webrtc != json->end()) {
        webrtc->erase(kPolicy);
    }
    if (!policy.hadWebRtc && json->contains(kWebRtc) && (*json)[kWebRtc].empty()) {
        json->erase(kWebRtc);
    }
    // Browsers write their files compact, without a final line break.
    return json->dump(-1, ' ', false, Json::error_handler_t::replace);
}
