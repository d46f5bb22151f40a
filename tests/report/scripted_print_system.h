#pragma once
// A print system that answers from the test's script and keeps what it was
// sent, in place of CUPS (PreviewWindow::setPrintSystem, sendToPrinter).
#include <deque>
#include <optional>
#include <vector>

#include "app/preview/cups_job.h"

namespace velmora::test {

class ScriptedPrintSystem : public preview::PrintSystem {
 public:
  preview::PrinterStatus status;
  std::optional<preview::PrinterStatus> statusLater;  // from the second look on
  preview::Submission submission{42, {}};
  std::deque<preview::JobState> states;  // one per look; the last one stays
  QString jobMessage;
  struct Sent {
    QString printer, title;
    QByteArray pdf;
    preview::JobOptions options;
  };
  std::vector<Sent> sent;
  std::vector<int> jobsLookedAt;
  int printerLooks = 0;
  int waited = 0;  // milliseconds

  preview::PrinterStatus printer(const QString&) override {
    ++printerLooks;
    return printerLooks > 1 && statusLater ? *statusLater : status;
  }
  preview::Submission submit(const QString& printer, const QString& title, const QByteArray& pdf,
                             const preview::JobOptions& options) override {
    sent.push_back({printer, title, pdf, options});
    return submission;
  }
  preview::JobState job(const QString&, int id, QString* message) override {
    jobsLookedAt.push_back(id);
    if (message) *message = jobMessage;
    if (states.empty()) return preview::JobState::Pending;
    const preview::JobState s = states.front();
    if (states.size() > 1) states.pop_front();
    return s;
  }
  void pause(int milliseconds) override { waited += milliseconds; }
};

}  // namespace velmora::test
