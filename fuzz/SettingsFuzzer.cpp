// Feeds one settings file per input to the loading of the settings, and checks what the settings
// rules promise for any file (support/SettingsOracles.h): no directory that was not written, fixed
// widths kept, the program's files inside their folder, and the settings read back as they were
// after writing them. A broken rule aborts, so the fuzzer keeps the input.
//
// Input: the bytes of the settings file.
#include "FuzzSupport.h"
#include "support/SettingsOracles.h"
#include "support/TempDir.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const kalmora::test::TempDir scratch(kalmora::fuzz::ScratchBase());
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    kalmora::fuzz::FailOnFindings(kalmora::test::SettingsFindings(input, scratch.Path()));
    return 0;
}
