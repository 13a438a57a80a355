#pragma once

// Writes one status line per event and flushes it at once: the tray program reads the
// lines while Warden runs, so a line held in a buffer is an event it never sees.

#include "warden/StatusEvents.h"

#include <ostream>
#include <string_view>

namespace warden {

class StatusLine
{
public:
    explicit StatusLine(std::ostream& out) : m_out(out) {}

    // "CODE text" or "CODE text detail"; the line goes out in one write, so a reader
    // never sees half of it.
    void report(const status::Event& event, std::string_view detail = {});

private:
    std::ostream& m_out;
};

} // namespace warden
