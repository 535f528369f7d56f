// Every pair of reference lists kept from fuzzing runs through the fuzzer's rules again.
#include "support/KeptInputs.h"
#include "support/ReferenceOracles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kalmora {
namespace {

class ReferenceFuzzFindings : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(ReferenceFuzzFindings, KeepEveryLoadingRule)
{
    test::TempDir scratch;
    const auto pristine = scratch / "pristine.mdb";
    test::MakeReferenceAdmin(pristine, std::filesystem::path(KALMORA_SOURCE_DIR) / "data" / "reference");
    std::filesystem::create_directory(scratch / "work");
    for (const auto& broken : test::ReferenceFindings(test::ReadText(GetParam()), pristine, scratch / "work"))
        ADD_FAILURE() << broken;
}

INSTANTIATE_TEST_SUITE_P(Kept, ReferenceFuzzFindings, ::testing::ValuesIn(test::KeptFuzzInputs("reference")),
                         [](const auto& kept) { return test::KeptInputTestName(kept.param); });

}  // namespace
}  // namespace kalmora
