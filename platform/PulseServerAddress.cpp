#include "platform/PulseServerAddress.h"

#include <cstdlib>
#include <sys/stat.h>

namespace ondrix::platform {
namespace {

bool AbsoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/';
}

bool IsFolder(const char* path)
{
    struct stat info
    {
    };
    return path != nullptr && ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

const char* PulseServerAddress()
{
    if (std::getenv("PULSE_SERVER") != nullptr || std::getenv("PULSE_RUNTIME_PATH") != nullptr ||
        AbsoluteVariable("XDG_RUNTIME_DIR") || IsFolder(std::getenv("HOME")))
        return nullptr;
    return "unix:/var/run/pulse/native";
}

} // namespace ondrix::platform
