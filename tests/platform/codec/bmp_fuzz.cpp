// libFuzzer entry: any bytes go to the decoder, which must refuse or decode
// them without reading outside the input.
#include <cstddef>
#include <cstdint>

#include "codec/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bitmap = codec::DecodeBmp(data, size);
  if (bitmap) {
    // A decoded picture is always whole; re-encoding it must work too.
    if (bitmap->pixels.size() != static_cast<std::size_t>(bitmap->width) * bitmap->height ||
        codec::EncodeBmp24(*bitmap).empty()) {
      __builtin_trap();
    }
  }
  return 0;
}
