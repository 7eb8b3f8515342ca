#include "tool/system_error.h"

#include <cstring>

#include "platform/win32.h"

std::string LastErrorText() {
    return std::strerror(LastErrno());
}
