#include "cli/PngPlugin.h"

#include <dlfcn.h>

#include <filesystem>

namespace rastel::cli {

WritePngFunction LoadPngWriter(std::string& error) {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string path = (exe.parent_path() / kPngPluginFile).string();
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        error = std::string("PNG output is not available: ") + ::dlerror();
        return nullptr;
    }
    // Kept loaded for the rest of the run.
    auto* fn = reinterpret_cast<WritePngFunction>(::dlsym(handle, kPngPluginSymbol));
    if (fn == nullptr) {
        error = std::string("PNG output is not available: ") + ::dlerror();
    }
    return fn;
}

}  // namespace rastel::cli
