// The editor's settings file (config/emulator.ini, section "init"): the ROM image and the engine
// definition it used last, so the next start begins where this one ended.
#pragma once

#include <string>

namespace vantrell {

class EditorSettings
{
  public:
    explicit EditorSettings(std::string settingsFile) : file_(std::move(settingsFile)) {}

    // The remembered ROM image, made usable (see resolveRememberedPath); the text of a missing key
    // when there is none.
    std::string rememberedRom(const std::string& programFolder) const;
    void rememberRom(const std::string& path);
    // The engine definition's file name (without its folder).
    void rememberEngine(const std::string& fileName);

  private:
    std::string file_;
};

} // namespace vantrell
