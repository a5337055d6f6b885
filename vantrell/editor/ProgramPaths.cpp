#include "vantrell/editor/ProgramPaths.h"

#include "common/clsIniFile.h"

#include <cctype>

namespace vantrell {

namespace {

bool isAbsolute(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return true;
    // A drive letter: "C:/..." or "C:" alone.
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

} // namespace

std::string resolveRememberedPath(const std::string& remembered, const std::string& programFolder)
{
    if (remembered.empty() || remembered == common::clsIniFile::kUnknownValue ||
        remembered == common::clsIniFile::kEmptyValue)
        return remembered;
    const std::string path = common::normalisePath(remembered);
    if (isAbsolute(path) || programFolder.empty())
        return path;
    std::string folder = common::normalisePath(programFolder);
    if (folder.back() != '/')
        folder += '/';
    return folder + path;
}

} // namespace vantrell
