// Writes the maximal application document to the path given.
#include <iostream>
#include <string>

#include "bench/maximal_record.h"
#include "check/completeness_check.h"
#include "format/atomic_file.h"
#include "format/xdx_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-maximal-document OUT.xdx\n";
    return 2;
  }
  velmora::Record r = velmora::bench::maximalRecord();
  std::string error;
  if (!velmora::writeFileAtomically(argv[1], velmora::buildXdx(r, velmora::completenessProblems(r)), error)) {
    std::cerr << error << '\n';
    return 1;
  }
  return 0;
}
