#include "settings/SettingsWriteError.h"

#include <utility>

namespace quillshift {

SettingsWriteError::SettingsWriteError(const std::string& path, std::string reason)
    : std::runtime_error("Unable to write to " + path), reason_(std::move(reason)) {}

}  // namespace quillshift
