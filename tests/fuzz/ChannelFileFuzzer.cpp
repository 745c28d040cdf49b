// Channel files are read at start-up from the user's data folder, where
// anything can end up. Whatever the bytes, reading must stop cleanly, and the
// lines it keeps must survive writing, reading again and sorting.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include "engine/ChannelList.h"
#include "util/ArchiveReader.h"
#include "util/ArchiveWriter.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

size_t BytesHeld(const ChannelList& list) {
    size_t bytes = 0;
    for (const std::string& line : list.Lines()) {
        Require(line.size() <= ChannelList::kMaxLineBytes);
        Require(line.find('\0') == std::string::npos);
        bytes += line.size() + 1;
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
    ArchiveReader reader(file);
    ChannelList list;
    list.Read(reader);
    Require(BytesHeld(list) <= ChannelList::kMaxListBytes);

    ArchiveWriter writer;
    list.Write(writer);
    std::istringstream again(writer.Bytes());
    ArchiveReader rereader(again);
    ChannelList copy;
    Require(copy.Read(rereader));
    Require(copy.Lines() == list.Lines());

    // Sorting keeps every distinct line once.
    copy.Sort();
    const std::set<std::string> distinct(list.Lines().begin(), list.Lines().end());
    Require(static_cast<size_t>(copy.GetSize()) == distinct.size());
    Require(std::set<std::string>(copy.Lines().begin(), copy.Lines().end()) == distinct);
    return 0;
}
