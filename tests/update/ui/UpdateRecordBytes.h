#pragma once
// An update record as the body a test server sends.

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "update/UpdateRecord.h"

namespace kelta::testing {

inline QByteArray Record(std::int32_t version, std::string_view text = {}, std::string_view url = {},
                         std::size_t size = 333) {
  const auto bytes = MakeUpdateRecord(version, text, url, size);
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

}  // namespace kelta::testing
