// The debugger output: the one channel for progress and error messages. Text arrives as UTF-8.
#pragma once
#include <functional>
#include <string_view>

namespace plat {

// Writes the text as given (a "\r\n" ends a line); by default to stderr.
void DebugOutput(std::string_view text);

// Tests capture the output; an empty function restores stderr.
void SetDebugSink(std::function<void(std::string_view)> sink);

}  // namespace plat
