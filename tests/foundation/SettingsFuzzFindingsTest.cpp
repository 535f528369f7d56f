// Every settings file kept from fuzzing runs through the fuzzer's rules again.
#include "support/KeptInputs.h"
#include "support/SettingsOracles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kalmora {
namespace {

class SettingsFuzzFindings : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(SettingsFuzzFindings, KeepEverySettingsRule)
{
    test::TempDir scratch;
    for (const auto& broken : test::SettingsFindings(test::ReadText(GetParam()), scratch.Path()))
        ADD_FAILURE() << broken;
}

INSTANTIATE_TEST_SUITE_P(Kept, SettingsFuzzFindings, ::testing::ValuesIn(test::KeptFuzzInputs("settings")),
                         [](const auto& kept) { return test::KeptInputTestName(kept.param); });

}  // namespace
}  // namespace kalmora
