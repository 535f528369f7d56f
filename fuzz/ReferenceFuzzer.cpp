// Feeds a hospitals and a departments list per input to the loading of the reference lists into an
// admin database that holds the shipped lists and one department, and checks what the loading
// promises (support/ReferenceOracles.h): refused lists change nothing, taken lists are stored
// exactly as read, no other failure escapes and the database stays sound. A broken rule aborts, so
// the fuzzer keeps the input.
//
// Input: the hospitals list, a NUL byte, then the departments list (see SplitReferenceInput).
#include "FuzzSupport.h"
#include "support/ReferenceOracles.h"
#include "support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace {

// The admin database every input starts from, made once per session.
struct Pristine {
    kalmora::test::TempDir folder{kalmora::fuzz::ScratchBase()};
    std::filesystem::path admin = folder / "pristine.mdb";
    std::filesystem::path work = folder / "work";

    Pristine()
    {
        kalmora::test::MakeReferenceAdmin(admin, std::filesystem::path(KALMORA_SOURCE_DIR) / "data" / "reference");
        std::filesystem::create_directory(work);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Pristine pristine;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    kalmora::fuzz::FailOnFindings(kalmora::test::ReferenceFindings(input, pristine.admin, pristine.work));
    return 0;
}
