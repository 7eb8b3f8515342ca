// Helpers the Windows files of the tool share: text between the 8-bit calls
// and the wide ones, the system's words for an error code, and the handles
// that the host headers keep as numbers. Built for Windows only.
#pragma once

#include <string>

#include "platform/win32.h"

// The system's words for code, on one line ("system error N" when it has
// none).
std::string SystemErrorText(DWORD code);

// 8-bit text (of the process's code page unless said) as wide text, for the
// wide calls that take paths of any length (the \\?\ form).
std::wstring Wide(const std::string& text, UINT codePage = CP_ACP);

std::string Utf8(const std::wstring& wide);

// A name as the file system compares it: without regard to case.
std::wstring Folded(std::wstring name);

// A process or file handle as the host headers keep it, and back.
HANDLE AsHandle(long long id);
long long AsId(HANDLE handle);
