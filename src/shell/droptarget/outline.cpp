#include "shell/droptarget/outline.h"
#include "platform/byte_order.h"

namespace ravelock::droptarget {

using platform::loadLe16;

std::optional<Outline> parseOutline(std::span<const unsigned char> data) {
  constexpr std::size_t kHeader = 6, kPoint = 4;
  if (data.size() < kHeader)
    return std::nullopt;
  Outline outline;
  outline.width = loadLe16(data.data());
  outline.height = loadLe16(data.data() + 2);
  const std::size_t count = loadLe16(data.data() + 4);
  if (count < 3 || count > (data.size() - kHeader) / kPoint)
    return std::nullopt;
  outline.points.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* p = data.data() + kHeader + i * kPoint;
    outline.points.push_back({loadLe16(p), loadLe16(p + 2)});
  }
  return outline;
}

} // namespace ravelock::droptarget
