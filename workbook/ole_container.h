#pragma once

#include <string>
#include <vector>

namespace agrimor {

// Writes `stream` as the one stream named `streamName` of a new OLE2 compound document at `path`
// (libgsf). Returns "" on success, else the library's reason.
std::string writeCompoundDocument(const std::string& path, const std::string& streamName,
                                  const std::vector<unsigned char>& stream);

}  // namespace agrimor
