#include "vantrell/editor/EditorSettings.h"

#include "vantrell/editor/ProgramPaths.h"

#include "common/clsIniFile.h"

namespace vantrell {

namespace {

common::clsIniFile settingsFile(const std::string& path)
{
    common::clsIniFile ini;
    ini.File = path;
    return ini;
}

} // namespace

std::string EditorSettings::rememberedRom(const std::string& programFolder) const
{
    return resolveRememberedPath(settingsFile(file_).GetSetting("init", "filename"), programFolder);
}

void EditorSettings::rememberRom(const std::string& path)
{
    settingsFile(file_).SaveSetting("init", "filename", path);
}

void EditorSettings::rememberEngine(const std::string& fileName)
{
    settingsFile(file_).SaveSetting("init", "engine", fileName);
}

} // namespace vantrell
