#include "tool/system_error.h"

#include "tool/win32_support.h"

std::string LastErrorText() {
    return SystemErrorText(GetLastError());
}
