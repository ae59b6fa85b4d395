#pragma once

#include <exception>
#include <string>

namespace quillshift::testing {

/// Runs `action` and returns the text of the exception it throws, or "(no error)".
template <typename Action>
std::string errorText(Action&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(no error)";
}

}  // namespace quillshift::testing
