#pragma once

#include <optional>
#include <string>

// Sets (or unsets) an environment variable for the life of the object, then puts back
// what was there before.
class ScopedEnv
{
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};
