#include "Check.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace rastel::fuzz {

namespace {

std::function<void(const char*)>& Handler() {
    static std::function<void(const char*)> handler;
    return handler;
}

}  // namespace

void Fail(const char* what) {
    if (Handler()) {
        Handler()(what);
    }
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

void SetFailHandler(std::function<void(const char*)> handler) {
    Handler() = std::move(handler);
}

}  // namespace rastel::fuzz
