#pragma once

#include <clocale>
#include <cstdlib>
#include <string>

// Switches the process to a comma-decimal locale for one test and back afterwards.
class CommaLocale {
public:
    CommaLocale() {
        const char* previous = std::setlocale(LC_ALL, nullptr);
        m_previous = previous != nullptr ? previous : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                m_active = true;
                return;
            }
        }
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;
    ~CommaLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }

    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

// The test script sets FRT2DXF_REQUIRE_COMMA_LOCALE, so there a missing locale fails instead of skipping.
#define REQUIRE_COMMA_LOCALE(guard)                                                                          \
    if (!(guard).Active()) {                                                                                 \
        if (std::getenv("FRT2DXF_REQUIRE_COMMA_LOCALE") != nullptr)                                          \
            FAIL() << "no comma-decimal locale installed";                                                   \
        GTEST_SKIP() << "no comma-decimal locale installed (the setup script generates de_DE.UTF-8)";        \
    }
