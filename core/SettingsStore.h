#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

// The settings file: an INI file read and written one key at a time (see IniText for how
// keys and values are read and what an edit changes). Nothing is cached: every read looks
// at the file as it is now and every write reaches the file at once, so the file can be
// edited by hand while the program runs.
class SettingsStore
{
public:
    explicit SettingsStore(std::string path);

    const std::string& path() const { return m_path; }

    // The value of section/key, or `fallback` when the file or the key is missing.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // The value read as a whole number (decimal, or hexadecimal as "0x1F" or "$1F");
    // `fallback` when missing or not a number that fits an int.
    int readInteger(const std::string& section, const std::string& key, int fallback) const;

    // Writes one key; the file is created by the first write. The file is replaced
    // atomically (a temporary file renamed over it), so a crash mid-write cannot leave
    // it half written. Throws std::runtime_error when the file cannot be written.
    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, int value);
    // Writes several keys of one section in one replacement of the file.
    void writeStrings(const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& values);

    // The file as it is at this moment, for reading many keys without reading the file
    // for each of them.
    class Snapshot
    {
    public:
        ~Snapshot();
        std::string readString(const std::string& section, const std::string& key,
                               const std::string& fallback) const;
        int readInteger(const std::string& section, const std::string& key, int fallback) const;

    private:
        friend class SettingsStore;
        struct Data;
        explicit Snapshot(std::unique_ptr<Data> data);
        std::unique_ptr<Data> m_data;
    };
    Snapshot snapshot() const;

private:
    std::string m_path;
};

// Reads `text` as a whole number the way the settings file's integers are read:
// optional blanks and sign, decimal digits or a hexadecimal "0x"/"$" prefix. Returns
// `fallback` for anything else, also for numbers outside the range of int.
int parseSettingsInteger(const std::string& text, int fallback);
