#include "diagnostics.h"

#include <cstdio>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
DebugSink& Sink() {
    static DebugSink sink;
    return sink;
}
}  // namespace

void DebugOutput(const std::string& text) {
    if (const DebugSink& sink = Sink()) {
        sink(text);
        return;
    }
#ifdef _WIN32
    OutputDebugStringA(text.c_str());
#else
    std::fputs(text.c_str(), stderr);
#endif
}

DebugSink SetDebugSink(DebugSink sink) {
    return std::exchange(Sink(), std::move(sink));
}
