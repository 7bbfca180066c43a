#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace parcelo::test {

// Sets an environment variable (TZ among them) for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        m_old = std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt;
        Set(value);
    }
    ~ScopedEnv() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) {
        value != nullptr ? setenv(m_name.c_str(), value, 1) : unsetenv(m_name.c_str());
        tzset();
    }

    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace parcelo::test
