#include "vantrell/editor/ProgramPaths.h"

#include "common/clsIniFile.h"

#include <algorithm>
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

std::string forwardSlashes(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace

std::string resolveRememberedPath(const std::string& remembered, const std::string& programFolder)
{
    if (remembered.empty() || remembered == common::clsIniFile::kUnknownValue ||
        remembered == common::clsIniFile::kEmptyValue)
        return remembered;
    // '/' on every system: Windows takes it too, and a path of mixed separators is not one to show.
    const std::string path = forwardSlashes(remembered);
    if (isAbsolute(path) || programFolder.empty())
        return path;
    std::string folder = forwardSlashes(programFolder);
    if (folder.back() != '/')
        folder += '/';
    return folder + path;
}

} // namespace vantrell
