// rastel-render: the viewer's picture of a file, made without a window.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Render.h"
#include "cli/RenderOptions.h"

int main(int argc, char** argv) {
    // A file over the size limit fails its write (EFBIG) instead of ending us by a signal:
    // the write's failure is told and nothing half-written is left.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const rastel::cli::ParseResult parsed = rastel::cli::ParseRenderOptions(args);
    if (!parsed.error.empty()) {
        std::cerr << "rastel-render: " << parsed.error << '\n';
        return 2;
    }
    if (parsed.options.help) {
        std::cout << rastel::cli::RenderUsage();
        return 0;
    }
    return rastel::cli::Render(parsed.options, std::cout, std::cerr);
}
