#include "platform/linux/LinuxNetworkAdapters.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

namespace fs = std::filesystem;

// sysfs network attributes are a line of a few dozen bytes at most.
constexpr std::size_t kAttributeLimit = 64;
// ARPHRD_ETHER of <net/if_arp.h>: ethernet framing, wired or wireless.
constexpr long kEthernetType = 1;

struct Adapter
{
    long index;
    std::string name;
    NetworkAdapters::HardwareAddress address;
};

// The start of a regular file, without surrounding blanks and line break. Anything else
// under the name (a pipe, a device, a folder, nothing) reads as empty: opening without
// blocking and refusing what is not a regular file means a junk tree cannot hang the read.
std::string attribute(const fs::path& file)
{
    const int descriptor = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return "";
    }
    std::string text(kAttributeLimit, '\0');
    std::size_t length = 0;
    struct stat info
    {
    };
    if (fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode)) {
        while (length < text.size()) {
            const ssize_t n = read(descriptor, text.data() + length, text.size() - length);
            if (n <= 0) {
                break;
            }
            length += static_cast<std::size_t>(n);
        }
    }
    close(descriptor);
    text.resize(length);
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    return text;
}

std::optional<long> decimalAttribute(const fs::path& file)
{
    const std::string text = attribute(file);
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The value of one hex digit, -1 for any other character.
int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// "00:1a:2b:3c:4d:5e": six two-digit hex bytes joined by colons, nothing more.
std::optional<NetworkAdapters::HardwareAddress> parseAddress(const std::string& text)
{
    NetworkAdapters::HardwareAddress address{};
    if (text.size() != 3 * address.size() - 1) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < address.size(); ++i) {
        const int high = hexValue(text[3 * i]);
        const int low = hexValue(text[3 * i + 1]);
        if (high < 0 || low < 0 || (i + 1 < address.size() && text[3 * i + 2] != ':')) {
            return std::nullopt;
        }
        address[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return address;
}

bool present(const fs::path& entry)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(entry, error));
}

// A wired ethernet adapter on real hardware. Virtual interfaces (bridges, tunnels,
// containers' veth pairs) have no device and may appear at any time; Wi-Fi adapters are
// ethernet by type but often get a randomised address. Either would make the identifier
// change from one start to the next.
std::optional<Adapter> wiredAdapter(const fs::path& folder)
{
    if (decimalAttribute(folder / "type") != kEthernetType || !present(folder / "device") ||
        present(folder / "wireless") || present(folder / "phy80211")) {
        return std::nullopt;
    }
    const auto index = decimalAttribute(folder / "ifindex");
    const auto address = parseAddress(attribute(folder / "address"));
    const NetworkAdapters::HardwareAddress unset{};
    if (!index || !address || *address == unset) {
        return std::nullopt;
    }
    return Adapter{*index, folder.filename().string(), *address};
}

} // namespace

LinuxNetworkAdapters::LinuxNetworkAdapters(std::string sysfsNetFolder) : m_folder(std::move(sysfsNetFolder))
{
}

std::vector<NetworkAdapters::HardwareAddress> LinuxNetworkAdapters::ethernetAddresses() const
{
    std::vector<Adapter> adapters;
    std::error_code error;
    for (fs::directory_iterator it(m_folder, error), end; !error && it != end; it.increment(error)) {
        if (auto adapter = wiredAdapter(it->path())) {
            adapters.push_back(std::move(*adapter));
        }
    }
    // The kernel's registration order; the folder lists in no particular order. The name
    // breaks a tie only in a damaged tree.
    std::sort(adapters.begin(), adapters.end(), [](const Adapter& a, const Adapter& b) {
        return std::tie(a.index, a.name) < std::tie(b.index, b.name);
    });
    std::vector<HardwareAddress> addresses;
    for (const Adapter& adapter : adapters) {
        addresses.push_back(adapter.address);
    }
    return addresses;
}

} // namespace platform
