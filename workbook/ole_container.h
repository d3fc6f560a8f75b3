#pragma once

#include <string>
#include <vector>

namespace agrimor {

// Writes `stream` as the one stream named `streamName` of a new OLE2 compound document at `path`
// (libgsf). Returns "" on success, else the library's reason.
std::string writeCompoundDocument(const std::string& path, const std::string& streamName,
                                  const std::vector<unsigned char>& stream);

// Reads into `bytes` the first stream of the compound document at `path` whose name is among
// `names` (top level, names compared as the format does, ignoring case), and sets `found` to
// that name; `found` stays "" when there is none. A stream larger than `limit` bytes is not
// read. Returns "" on success, else the library's reason.
std::string readCompoundStream(const std::string& path, const std::vector<std::string>& names,
                               std::size_t limit, std::string& found,
                               std::vector<unsigned char>& bytes);

}  // namespace agrimor
