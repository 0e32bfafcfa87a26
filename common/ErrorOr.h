#pragma once

#include <exception>
#include <system_error>
#include <utility>

// A value, or the error that kept it from being made. Only the caller that tells the user builds a
// message from the error, so every layer below passes it along whole. Reaching for the value of
// an error is a fault of the caller, stopped here rather than read as a default value.
template <class T> class [[nodiscard]] ErrorOr {
public:
    ErrorOr(T value) : m_value(std::move(value)) {}    // NOLINT(google-explicit-constructor)
    ErrorOr(std::error_code error) : m_error(error) {} // NOLINT(google-explicit-constructor)

    explicit operator bool() const { return !m_error; }
    [[nodiscard]] std::error_code error() const { return m_error; }
    T& operator*() { return Value(); }
    T* operator->() { return &Value(); }

private:
    T& Value() {
        if (m_error)
            std::terminate();
        return m_value;
    }

    T m_value{};
    std::error_code m_error;
};
