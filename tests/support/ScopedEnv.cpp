#include "tests/support/ScopedEnv.h"

#include <cstdlib>
#include <utility>

namespace {

void assign(const std::string& name, const std::optional<std::string>& value)
{
#ifdef _WIN32
    _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
#endif
}

} // namespace

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value) : m_name(std::move(name))
{
    if (const char* previous = std::getenv(m_name.c_str())) {
        m_previous = previous;
    }
    assign(m_name, value);
}

ScopedEnv::~ScopedEnv()
{
    assign(m_name, m_previous);
}
