// The settings file as a user, a crash or another program may leave it: read as the
// start-up and the options page read it, then edited as a save edits it. An edit must
// change the keys it writes and no other, whatever the file and the value hold. The file
// is the input itself, so nothing is written or read from the file system per input.

#include "core/BypassSettings.h"
#include "platform/IniText.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <optional>
#include <string>

namespace {

// The keys the program reads, and two it does not know.
const std::pair<const char*, const char*> kKeys[] = {
    {"Config", "Skin"},    {"Config", "InternalPort"},
    {"Bypass", "Counter"}, {"Bypass", "1"},
    {"Bypass", "2"},       {"Other", "x"},
    {"", "orphan"},
};

// What reading back a written value gives: one line, blanks and one pair of quotes gone.
bool readsBackUnchanged(const std::string& value)
{
    const auto special = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
    return value.find_first_of("\r\n") == std::string::npos &&
           (value.empty() || (!special(value.front()) && !special(value.back())));
}

} // namespace

// The first line of the input is a value to write; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t firstBreak = input.find('\n');
    const std::string value = input.substr(0, firstBreak);
    const std::string file = firstBreak == std::string::npos ? "" : input.substr(firstBreak + 1);

    // The store reads the input where it would read the file, up to the same limit.
    const SettingsStore store("dirudo.ini", [&file](const std::string&, std::size_t limit) {
        return std::optional<platform::FileHead>({file.substr(0, limit), file.size() > limit});
    });
    const std::vector<std::string> lines = bypass::read(store.snapshot());
    FUZZ_CHECK(lines.size() <= static_cast<std::size_t>(bypass::kMaxLines));

    IniText ini(file);
    FUZZ_CHECK(ini.text() == file);
    std::vector<std::optional<std::string>> before;
    for (const auto& [section, key] : kKeys)
        before.push_back(ini.value(section, key));

    ini.setValue("Bypass", "2", value);
    IniText reread(ini.text());
    FUZZ_CHECK(reread.value("Bypass", "2").has_value());
    if (readsBackUnchanged(value))
        FUZZ_CHECK(*reread.value("Bypass", "2") == value);
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        const auto& [section, key] = kKeys[i];
        if (std::string(section) != "Bypass" || std::string(key) != "2")
            FUZZ_CHECK(reread.value(section, key) == before[i]);
    }
    return 0;
}
