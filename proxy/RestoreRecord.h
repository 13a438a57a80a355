#pragma once

#include "proxy/ChromiumPrefs.h"

#include <map>
#include <optional>
#include <string>

// What the program changed outside its own folder and must put back, kept in a file of the
// data folder from before the first change until everything is back, so a crash between
// the two loses nothing: the desktop's proxy settings as they were (there while the proxy
// is on), and each browser profile's WebRTC policy as it was, by Preferences path.
class RestoreRecord
{
public:
    explicit RestoreRecord(std::string filePath);

    // Reads the file. A missing file is an empty record; a damaged one is moved aside
    // (".damaged") so it is never taken for an empty one and overwritten. False when there
    // was a file that could not be read or understood.
    bool load();
    // Writes the file, or removes it when the record is empty. False when it could not.
    bool save() const;
    bool empty() const { return !desktop && preferences.empty(); }
    const std::string& filePath() const { return m_filePath; }

    std::optional<std::map<std::string, std::string>> desktop;
    std::map<std::string, WebRtcPolicy> preferences;

private:
    std::string m_filePath;
};

// The record as its file holds it, and back; nothing for a text that is not a record.
std::string restoreRecordText(const RestoreRecord& record);
bool readRestoreRecordText(const std::string& text, RestoreRecord& record);
