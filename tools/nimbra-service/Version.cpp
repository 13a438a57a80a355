#include "tools/nimbra-service/Version.h"

#include <algorithm>

namespace nimbra_service {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The next group of `text` from `at` (empty once past the end, which reads as 0), with
// `at` moved past it and its dot.
std::string_view nextGroup(std::string_view text, std::size_t& at)
{
    if (at >= text.size()) {
        return {};
    }
    const std::size_t end = std::min(text.find('.', at), text.size());
    std::string_view group = text.substr(at, end - at);
    at = end + 1;
    return group;
}

// Compares two digit strings by value, whatever their length, so no group can overflow.
int compareGroups(std::string_view a, std::string_view b)
{
    a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
    b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b);
}

} // namespace

bool isVersionNumber(std::string_view text)
{
    bool groupStarted = false;
    for (const char c : text) {
        if (isDigit(c)) {
            groupStarted = true;
        } else if (c == '.' && groupStarted) {
            groupStarted = false;
        } else {
            return false;
        }
    }
    return groupStarted;
}

int compareVersions(std::string_view a, std::string_view b)
{
    std::size_t atA = 0;
    std::size_t atB = 0;
    while (atA < a.size() || atB < b.size()) {
        const int order = compareGroups(nextGroup(a, atA), nextGroup(b, atB));
        if (order != 0) {
            return order;
        }
    }
    return 0;
}

} // namespace nimbra_service
