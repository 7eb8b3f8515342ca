// Code-page conversion, number formatting and message boxes.
#pragma once

#include "platform/posix/win32_types.h"
