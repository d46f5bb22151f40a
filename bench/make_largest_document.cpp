// Writes the largest legal application document to the path given: the
// record of largestLegalRecord(), after making sure that velmora-cli import
// takes it as it is (a record the window could not hold is no measure).
#include <iostream>
#include <string>

#include "bench/maximal_record.h"
#include "check/completeness_check.h"
#include "exchange/record_import.h"
#include "exchange/record_json.h"
#include "format/atomic_file.h"
#include "format/xdx_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-largest-document OUT.xdx\n";
    return 2;
  }
  const velmora::Record r = velmora::bench::largestLegalRecord();
  const velmora::ImportResult imported = velmora::importRecordJson(velmora::recordJson(r, false, {}));
  for (const auto& v : imported.violations) std::cerr << "not legal: " << v.key << ": " << v.message << '\n';
  if (!imported.ok()) return 1;
  // The identifier is made anew by every save, and not imported.
  velmora::Record back = imported.record;
  back.setText(velmora::Field::ProjectID, r.text(velmora::Field::ProjectID));
  if (!(back == r)) {
    std::cerr << "not legal: the import makes another record of it\n";
    return 1;
  }
  std::string error;
  if (!velmora::writeFileAtomically(argv[1], velmora::buildXdx(r, velmora::completenessProblems(r)), error)) {
    std::cerr << error << '\n';
    return 1;
  }
  return 0;
}
