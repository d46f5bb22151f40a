#pragma once
// Batches of documents for offices: folders expand to the documents in them,
// the work is spread over the processor's cores, and a progress line shows
// on a terminal.
#include <functional>
#include <string>
#include <vector>

namespace velmora::cli {

// Files as given; a folder stands for every *.xdx below it, in name order.
// Names that do not exist are kept, so that opening them reports the error.
std::vector<std::string> expandDocuments(const std::vector<std::string>& inputs);

// The same documents with a name for each: the path below the folder it was
// found in, or the file's own name, without the .xdx extension.
struct NamedDocument {
  std::string path;
  std::string name;
};
std::vector<NamedDocument> expandNamedDocuments(const std::vector<std::string>& inputs);

// Runs this program again with `args` and waits; returns its exit code
// (2 when it could not be started).
int runSelf(const std::vector<std::string>& args);

// Runs work(i) for i in [0, count) on all cores; shows "verb i/count" on
// standard error while it runs, when that is a terminal and the batch is long.
void forEachInParallel(std::size_t count, const std::string& verb, const std::function<void(std::size_t)>& work);

}  // namespace velmora::cli
