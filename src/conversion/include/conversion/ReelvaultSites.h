#pragma once

#include <string_view>

namespace quillshift::sites {

/// Host name of the script-sharing site that legacy headers mention in their boilerplate.
inline constexpr std::string_view kScriptsSiteHost = "reelvault-scripts.org";

/// Host name of the catalogue application's own web site.
inline constexpr std::string_view kReelvaultHost = "reelvault.org";

/// The catalogue application's web address for scripts (no scheme), written into every converted
/// header and shown on the about page.
inline constexpr std::string_view kScriptsWebAddress = "www.reelvault.org/scripts/";

}  // namespace quillshift::sites
