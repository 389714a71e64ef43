// libFuzzer entry over the BMP check alone, many times faster than the whole window: each input is checked
// as a whole file, and as the start of the file its own header says it is, which may be gigabytes long.
// A crash or a sanitizer report is a finding; so is a reason worded otherwise than the user may read it.
#include "BmpCheck.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

namespace {

void ExpectWorded(const std::optional<std::string>& reason)
{
    if (!reason)
        return;
    const bool worded = (reason->starts_with("it is not a readable BMP picture (")
                            || reason->starts_with("the picture is too large ("))
        && reason->ends_with(")");
    if (!worded) {
        std::fprintf(stderr, "reason worded as: %s\n", reason->c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    ExpectWorded(BmpRefusal(file, size));

    // The file header's own length field, unused by the check, lets the fuzzer choose how long a file it is.
    std::array<std::uint8_t, BmpHeadBytes> head{};
    std::copy_n(data, std::min(size, head.size()), head.begin());
    const std::uint64_t claimed = std::uint64_t(head[2]) | std::uint64_t(head[3]) << 8 | std::uint64_t(head[4]) << 16
        | std::uint64_t(head[5]) << 24;
    ExpectWorded(BmpRefusal(head, std::max<std::uint64_t>(claimed, head.size())));
    return 0;
}
