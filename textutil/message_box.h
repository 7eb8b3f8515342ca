// Diagnostic message boxes: an information box with the caption
// "Message Info", no owner and the single OK button. Each returns what
// MessageBoxA returns (IDOK, or 0 when no box could be shown) once the box
// is dismissed.
#pragma once

#include <cstdint>
#include <string>

extern const char kMessageBoxCaption[];

int ShowMessage(const char* text);
int ShowInteger(std::int32_t value);
int ShowFloat(double value);

// The texts ShowInteger and ShowFloat show: "Integer Value : " and the
// value in decimal; "Float Value : " and the value in fixed notation with
// six decimals, whole however large.
std::string IntegerMessageText(std::int32_t value);
std::string FloatMessageText(double value);
