#pragma once

#include "platform/Files.h"
#include "platform/IniText.h"

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The settings file: an INI file (see IniText for how keys and values are read and what an
// edit changes). Each operation reads the file once, as it is at that moment: a snapshot
// for every value one operation reads, a write for every key one save changes. Nothing is
// kept between operations, so the file can be edited by hand while the program runs.
//
// The file holds a few hundred bytes. A damaged or planted larger one is read as its first
// kMaxFileSize bytes would be, so it can neither stall the program nor exhaust its memory,
// and it is never written: a save would have to drop what was not read, so it fails as for
// a file that cannot be written and the file stays as it is.
class SettingsStore
{
public:
    static constexpr std::size_t kMaxFileSize = 1024 * 1024;

    // How the store reads its file: platform::readFileHead, or a test's stand-in.
    using FileReader =
        std::function<std::optional<platform::FileHead>(const std::string& path, std::size_t limit)>;

    explicit SettingsStore(std::string path, FileReader read = platform::readFileHead);

    const std::string& path() const { return m_path; }

    // The file as it was read once; a missing file, or anything that is not a regular file
    // (a folder, a device, a pipe that would wait for a writer for ever), reads as empty.
    class Snapshot
    {
    public:
        // The value of section/key, or `fallback` when the key is missing.
        std::string readString(const std::string& section, const std::string& key,
                               const std::string& fallback) const;
        // The value read as a whole number (decimal, or hexadecimal as "0x1F" or "$1F");
        // `fallback` when missing or not a number that fits an int.
        int readInteger(const std::string& section, const std::string& key, int fallback) const;

    private:
        friend class SettingsStore;
        explicit Snapshot(IniText ini) : m_ini(std::move(ini)) {}

        IniText m_ini;
        // Sections looked up so far, so that reading many keys goes through the lines once.
        mutable std::map<std::string, std::map<std::string, std::string>> m_sections;
    };
    Snapshot snapshot() const;

    // Writes one key, or several keys of one section, in one read and one replacement of
    // the file; the file is created by the first write. The file is replaced atomically (a
    // temporary file renamed over it), so a crash mid-write cannot leave it half written.
    // Throws std::runtime_error when the file cannot be written, is there but cannot be
    // read, or is larger than kMaxFileSize.
    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, int value);
    void writeStrings(const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& values);

private:
    std::string m_path;
    FileReader m_read;
};

// Reads `text` as a whole number the way the settings file's integers are read:
// optional blanks and sign, decimal digits or a hexadecimal "0x"/"$" prefix. Returns
// `fallback` for anything else, also for numbers outside the range of int.
int parseSettingsInteger(const std::string& text, int fallback);
