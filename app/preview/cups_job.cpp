#include "app/preview/cups_job.h"

#include <QStringList>
#include <algorithm>

namespace velmora::preview {

JobOptions cupsOptions(const JobChoices& c) {
  JobOptions out;
  out.emplace_back("copies", QByteArray::number(std::max(1, c.copies)));
  // pdftopdf reads "collate", IPP printers "multiple-document-handling".
  out.emplace_back("collate", c.collate ? "true" : "false");
  out.emplace_back("multiple-document-handling",
                   c.collate ? "separate-documents-collated-copies" : "separate-documents-uncollated-copies");
  if (c.reverse) out.emplace_back("outputorder", "reverse");
  switch (c.sides) {
    case JobChoices::Sides::One: out.emplace_back("sides", "one-sided"); break;
    case JobChoices::Sides::LongEdge: out.emplace_back("sides", "two-sided-long-edge"); break;
    case JobChoices::Sides::ShortEdge: out.emplace_back("sides", "two-sided-short-edge"); break;
  }
  if (!c.media.isEmpty()) out.emplace_back("media", c.media);
  if (!c.pageRanges.isEmpty()) out.emplace_back("page-ranges", c.pageRanges);
  for (const auto& [name, value] : c.further) {
    const bool own = std::any_of(out.begin(), out.end(), [&](const auto& o) { return o.first == name; });
    if (!own) out.emplace_back(name, value);
  }
  return out;
}

namespace {
QString orUnstated(const QString& reason) { return reason.isEmpty() ? QStringLiteral("未说明原因") : reason; }

PrintOutcome failed(const QString& text) { return {PrintOutcome::Kind::Failed, text}; }

PrintOutcome queued(const QString& printer, const QString& reason) {
  QString text = QStringLiteral("打印机已暂停，作业已排队：打印机“%1”恢复后才会打印。").arg(printer);
  if (!reason.isEmpty()) text += QStringLiteral("\n打印机的状态：%1").arg(reason);
  return {PrintOutcome::Kind::Queued, text};
}

}  // namespace

PrintOutcome noSuchPrinter(const QString& printer) {
  return failed(QStringLiteral("打印系统中没有打印机“%1”，它可能已被删除。").arg(printer));
}

PrintOutcome notReceived(const QString& printer, const QString& reason) {
  return failed(QStringLiteral("打印机“%1”没有接收作业：%2").arg(printer, orUnstated(reason)));
}

PrintOutcome sendToPrinter(PrintSystem& system, const QString& printer, const QString& title, const QByteArray& pdf,
                           const JobOptions& options) {
  const PrinterStatus status = system.printer(printer);
  switch (status.reach) {
    case PrinterStatus::Reach::NoConnection:
      return failed(
          QStringLiteral("无法连接打印系统，打印机“%1”没有收到作业：%2").arg(printer, orUnstated(status.message)));
    case PrinterStatus::Reach::NoPrinter: return noSuchPrinter(printer);
    case PrinterStatus::Reach::Reached: break;
  }
  if (!status.accepting)
    return failed(QStringLiteral("打印机“%1”不接受作业：%2").arg(printer, orUnstated(status.message)));
  const Submission sent = system.submit(printer, title, pdf, options);
  if (sent.job == 0) return notReceived(printer, sent.error);
  // A paused printer keeps the job until someone resumes it.
  if (status.stopped) return queued(printer, status.message);
  for (int waited = 0;; waited += kJobWatchStep) {
    QString why;
    switch (system.job(printer, sent.job, &why)) {
      case JobState::Completed: return {};
      case JobState::Aborted:
        return failed(QStringLiteral("打印机“%1”未能完成作业（已中止）：%2").arg(printer, orUnstated(why)));
      case JobState::Canceled:
        return failed(QStringLiteral("打印机“%1”未能完成作业（已取消）：%2").arg(printer, orUnstated(why)));
      case JobState::Stopped: return queued(printer, why);
      case JobState::Pending:
      case JobState::Held:
      case JobState::Processing:
      case JobState::Unknown: break;
    }
    if (waited >= kJobWatchMilliseconds) break;
    system.pause(kJobWatchStep);
  }
  // Still waiting: printing takes its time, unless the print system paused
  // the printer meanwhile (its error policy stops a printer whose backend
  // failed).
  const PrinterStatus after = system.printer(printer);
  if (after.reach == PrinterStatus::Reach::Reached && after.stopped) return queued(printer, after.message);
  return {};
}

}  // namespace velmora::preview
