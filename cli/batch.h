#pragma once
// Batches of documents for offices: folders expand to the documents in them,
// the work is spread over the processor's cores, a progress line shows on a
// terminal, and the printing program runs once per document.
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace velmora::cli {

// A document of a batch, with a name for it: the path below the folder it
// was found in, or the file's own name, without the .xdx extension.
struct NamedDocument {
  std::string path;
  std::string name;
};

// A folder below the input that could not be read, with the system's reason.
struct UnreadableFolder {
  std::string path;
  std::string reason;
};

struct Batch {
  std::vector<NamedDocument> documents;
  // Folders given that hold no .xdx document at all: an office that points
  // the program at the wrong folder must not read silence as "all complete".
  std::vector<std::string> emptyFolders;
  // Folders that could not be listed or entered, in the order met: the
  // documents in them would otherwise be missing without a word.
  std::vector<UnreadableFolder> unreadableFolders;
  // `.xdx` entries below a folder that are no file to read (a dangling link,
  // a FIFO, a device), each with why it was skipped.
  std::vector<UnreadableFolder> skipped;
};

// Files as given; a folder stands for every *.xdx below it, in name order.
// Each file comes once, whatever names lead to it. Names that do not exist
// are kept, so that opening them reports the error; so are documents that
// cannot be read. Links to folders are followed, each folder once.
Batch collectDocuments(const std::vector<std::string>& inputs);

// A path the program made below `folder` (a folder as the user gave it),
// written with the separator `folder` is written with: on Windows the system
// joins names with a backslash, which a folder given as "D:/申报/2026"
// should not see mixed into its documents' names. Unchanged on Linux.
std::string inStyleOf(const std::string& folder, std::string path);

// Prints "PATH：无法读取文件夹：REASON" for each unreadable folder, a line
// for each skipped entry and "未找到 .xdx 文档：PATH" for each empty folder;
// true when there was any.
bool reportCollectionProblems(const Batch& batch);

// Runs work(i) for i in [0, count) on all cores; shows "verb i/count" on
// standard error while it runs, when that is a terminal and the batch is long.
void forEachInParallel(std::size_t count, const std::string& verb, const std::function<void(std::size_t)>& work);

// On a terminal, the closing line of a batch: "共 7 份：完整 3，有问题 2，无法读取 2"
// from the counts of complete, problem and refused documents.
void printSummary(const std::array<std::size_t, 3>& counts);

// The program that prints a document to a PDF (velmora-print): beside this
// program in the build folder, in libexec when installed; empty when absent.
std::string printProgram();

// Runs `program` with `args` and waits; its exit code, 2 when it could not
// be started or did not end by itself.
int runProgram(const std::string& program, const std::vector<std::string>& args);

}  // namespace velmora::cli
