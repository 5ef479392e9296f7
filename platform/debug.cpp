#include "platform/debug.h"

#include <cstdio>
#include <string>

namespace plat {

namespace {
std::function<void(std::string_view)> g_sink;
}

void DebugOutput(std::string_view text) {
    if (g_sink) {
        g_sink(text);
        return;
    }
    // The game ends its lines with "\r\n"; a terminal wants "\n".
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out.push_back(c);
    std::fwrite(out.data(), 1, out.size(), stderr);
}

void SetDebugSink(std::function<void(std::string_view)> sink) { g_sink = std::move(sink); }

}  // namespace plat
