#include "core/WardenLines.h"

void WardenLines::append(std::string_view text)
{
    if (m_afterCr && !text.empty() && text.front() == '\n') {
        text.remove_prefix(1);
    }
    m_afterCr = false;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            m_partial += text;
            return;
        }
        m_partial += text.substr(0, end);
        m_lines.push_back(std::move(m_partial));
        m_partial.clear();
        if (text[end] == '\r' && end + 1 == text.size()) {
            m_afterCr = true;
        }
        const bool crLf = text.compare(end, 2, "\r\n") == 0;
        text.remove_prefix(end + (crLf ? 2 : 1));
    }
}

void WardenLines::dropPartial()
{
    m_partial.clear();
    m_afterCr = false;
}

void WardenLines::finish()
{
    if (!m_partial.empty()) {
        m_lines.push_back(std::move(m_partial));
        m_partial.clear();
    }
    m_afterCr = false;
}
