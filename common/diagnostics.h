#pragma once

#include <functional>
#include <string>

// One line of diagnosis for a developer: OutputDebugStringA on Windows. Natively the lines go to
// a sink that tests can replace; by default they go to standard error.
void DebugOutput(const std::string& text);

using DebugSink = std::function<void(const std::string&)>;

// Replaces the sink and returns the previous one (an empty sink restores the default).
DebugSink SetDebugSink(DebugSink sink);
