#include "read_cloud_fuzzer.hpp"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    byte_source in(data, size);
    check_cloud(read_xyz(in));
    return 0;
}
