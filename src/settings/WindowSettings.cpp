#include "settings/WindowSettings.h"

#include <cstdint>

#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsWriteError.h"

namespace quillshift {

namespace {

constexpr std::string_view kFormSection = "Form";
constexpr std::string_view kPathSection = "Path";

// (screen - size) / 2 rounded toward zero, without overflow for any two ints.
int centred(int screen, int size) {
    return static_cast<int>((static_cast<std::int64_t>(screen) - size) / 2);
}

}  // namespace

WindowSettings WindowSettings::read(const IniFile& file, ScreenSize screen,
                                    std::string_view executableFolder, SizeRule usableSize) {
    const auto size = [&](std::string_view key, int fallback) {
        const int value = file.readInteger(kFormSection, key, fallback);
        return usableSize != nullptr ? usableSize(value, fallback) : value;
    };
    WindowSettings settings;
    settings.inputPath = file.readString(kPathSection, "Input", executableFolder);
    settings.height = size("Height", 600);
    settings.width = size("Width", 800);
    settings.top = file.readInteger(kFormSection, "Top", centred(screen.height, settings.height));
    settings.left = file.readInteger(kFormSection, "Left", centred(screen.width, settings.width));
    settings.maximized = file.readBool(kFormSection, "Maximized", false);
    return settings;
}

WindowSettings WindowSettings::load(const std::string& path, ScreenSize screen,
                                    std::string_view executableFolder, SizeRule usableSize) {
    return read(IniFile::load(path), screen, executableFolder, usableSize);
}

void WindowSettings::write(IniFile& file) const {
    if (!maximized) {
        file.writeInteger(kFormSection, "Height", height);
        file.writeInteger(kFormSection, "Width", width);
        file.writeInteger(kFormSection, "Top", top);
        file.writeInteger(kFormSection, "Left", left);
    }
    file.writeBool(kFormSection, "Maximized", maximized);
    if (inputPath.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos) {
        file.writeString(kPathSection, "Input", inputPath);
    }
}

void WindowSettings::save(const std::string& path) const {
    const std::string folderProblem = SettingsLocation::createFolderFor(path);
    if (!folderProblem.empty()) {
        throw SettingsWriteError(path, folderProblem);
    }
    IniFile file = IniFile::load(path);
    write(file);
    file.save();
}

}  // namespace quillshift
