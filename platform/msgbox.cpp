#include "platform/msgbox.h"

#include <cstdio>

namespace plat {

namespace {
std::function<int(const MessageBoxCall&)> g_hook;
std::function<int(const MessageBoxCall&)> g_backend;
}  // namespace

int MessageBox(const char* text, const char* caption, u32 flags) {
    MessageBoxCall call{text ? text : "", caption ? caption : "", flags};
    if (g_hook) return g_hook(call);
    if (g_backend) return g_backend(call);
    std::fprintf(stderr, "[%s] %s\n", call.caption.empty() ? "Error" : call.caption.c_str(), call.text.c_str());
    return (flags & 0xF) == MB_YESNO ? IDYES : IDOK;
}

void SetMessageBoxHook(std::function<int(const MessageBoxCall&)> hook) { g_hook = std::move(hook); }
void SetMessageBoxBackend(std::function<int(const MessageBoxCall&)> backend) { g_backend = std::move(backend); }

}  // namespace plat
