// Every file of the fuzz corpus, the crashes the fuzzers once found among them, through the
// same checks as the fuzz targets, in the ordinary build and under the sanitizers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "Check.h"

namespace rastel::fuzz {
namespace {

namespace fs = std::filesystem;

struct Target {
    const char* corpus;
    void (*check)(Input);
};

using CorpusReplay = ::testing::TestWithParam<Target>;

TEST_P(CorpusReplay, PassesEveryCheck) {
    SetFailHandler([](const char* what) { throw std::runtime_error(what); });
    const fs::path dir = fs::path(RASTEL_FUZZ_CORPUS) / GetParam().corpus;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        try {
            GetParam().check(bytes);
        } catch (const std::runtime_error& e) {
            ADD_FAILURE() << entry.path().filename() << ": " << e.what();
        }
        ++files;
    }
    EXPECT_GE(files, 5) << "the corpus has lost its seeds";
    SetFailHandler(nullptr);
}

const Target kTargets[] = {
    {"decoder", CheckDecoder},          {"bmp_writer", CheckBmpWriter},
    {"field_rules", CheckFieldRules},   {"render_options", CheckRenderOptions},
    {"pictures", CheckPictureScan},
#ifdef RASTEL_FUZZ_COMMAND_LINE
    {"command_line", CheckCommandLine},
#endif
};

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.corpus); });

}  // namespace
}  // namespace rastel::fuzz
