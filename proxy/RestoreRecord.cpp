#include "proxy/RestoreRecord.h"

#include "platform/Files.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

constexpr const char* kDesktop = "desktop";
constexpr const char* kPreferences = "preferences";
constexpr const char* kHadWebRtc = "webrtc";
constexpr const char* kPolicy = "ip_handling_policy";

} // namespace

RestoreRecord::RestoreRecord(std::string filePath) : m_filePath(std::move(filePath)) {}

std::string restoreRecordText(const RestoreRecord& record)
{
    Json json = Json::object();
    if (record.desktop) {
        json[kDesktop] = Json::object();
        for (const auto& [key, value] : *record.desktop) {
            json[kDesktop][key] = value;
        }
    }
    if (!record.preferences.empty()) {
        json[kPreferences] = Json::object();
        for (const auto& [path, policy] : record.preferences) {
            Json entry = {{kHadWebRtc, policy.hadWebRtc}};
            if (policy.value) {
                entry[kPolicy] = Json::parse(*policy.value, nullptr, false);
            }
            json[kPreferences][path] = std::move(entry);
        }
    }
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool readRestoreRecordText(const std::string& text, RestoreRecord& record)
{
    if (!shallowJson(text)) {
        return false;
    }
    const Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        return false;
    }
    record.desktop.reset();
    record.preferences.clear();
    if (const auto desktop = json.find(kDesktop); desktop != json.end()) {
        if (!desktop->is_object()) {
            return false;
        }
        record.desktop.emplace();
        for (const auto& [key, value] : desktop->items()) {
            if (!value.is_string()) {
                return false;
            }
            (*record.desktop)[key] = value.get<std::string>();
        }
    }
    if (const auto preferences = json.find(kPreferences); preferences != json.end()) {
        if (!preferences->is_object()) {
            return false;
        }
        for (const auto& [path, entry] : preferences->items()) {
            const auto had = entry.is_object() ? entry.find(kHadWebRtc) : entry.end();
            if (!entry.is_object() || had == entry.end() || !had->is_boolean()) {
                return false;
            }
            WebRtcPolicy policy{had->get<bool>(), std::nullopt};
            if (const auto value = entry.find(kPolicy); value != entry.end()) {
                policy.value = value->dump();
            }
            record.preferences[path] = policy;
        }
    }
    return true;
}

bool RestoreRecord::load()
{
    desktop.reset();
    preferences.clear();
    std::error_code failed;
    const fs::file_status status = fs::symlink_status(m_filePath, failed);
    if (status.type() == fs::file_type::not_found) {
        return true;
    }
    std::ostringstream text;
    bool read = false;
    if (status.type() == fs::file_type::regular && fs::file_size(m_filePath, failed) <= kMaxBrowserFileSize) {
        std::ifstream in(m_filePath, std::ios::binary);
        read = in && (text << in.rdbuf()) && readRestoreRecordText(text.str(), *this);
    }
    if (!read) {
        desktop.reset();
        preferences.clear();
        fs::rename(m_filePath, m_filePath + ".damaged", failed);
    }
    return read;
}

bool RestoreRecord::save() const
{
    if (empty()) {
        std::error_code failed;
        fs::remove(m_filePath, failed);
        return !failed;
    }
    return platform::replaceFile(m_filePath, restoreRecordText(*this));
}
