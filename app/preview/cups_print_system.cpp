// The print system through libcups: printers' states, jobs created and
// watched. What the user is told of them is decided in cups_job.cpp.
#include <cups/cups.h>

#include <QCoreApplication>
#include <QThread>

#include "app/preview/cups_job.h"

namespace velmora::preview {
namespace {

QString lastError() { return QString::fromUtf8(cupsLastErrorString()); }

// A connection of its own per call: the print system may have gone away and
// come back since the last one (libcups's shared connection would then be
// stale), and the calls are few.
class Connection {
 public:
  Connection()
      : http_(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr)) {}
  ~Connection() {
    if (http_) httpClose(http_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  http_t* get() const { return http_; }

 private:
  http_t* http_;
};

QByteArray destinationUri(const QString& name, const char* kind) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/%s/%s", kind,
                   name.toUtf8().constData());
  return uri;
}

QString text(ipp_t* response, const char* name) {
  ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_ZERO);
  const char* s = a ? ippGetString(a, 0, nullptr) : nullptr;
  return s ? QString::fromUtf8(s).trimmed() : QString();
}

// Keywords of a "…-reasons" attribute, without "none".
QString reasons(ipp_t* response, const char* name) {
  ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_KEYWORD);
  QStringList out;
  for (int i = 0; a && i < ippGetCount(a); ++i) {
    const QString r = QString::fromUtf8(ippGetString(a, i, nullptr));
    if (r != u"none") out << r;
  }
  return out.join(QStringLiteral(", "));
}

// A printer the print system found on the network (driverless IPP) is a
// destination without a queue until first used; libcups makes the queue,
// under the same name, when it connects to the destination.
bool makeQueueFor(http_t* http, const QString& name) {
  cups_dest_t* dest = cupsGetNamedDest(http, name.toUtf8().constData(), nullptr);
  if (!dest) return false;
  bool made = false;
  if (!cupsGetOption("printer-uri-supported", dest->num_options, dest->options)) {
    char resource[1024];
    http_t* device =
        cupsConnectDest(dest, CUPS_DEST_FLAGS_UNCONNECTED, 30000, nullptr, resource, sizeof resource, nullptr, nullptr);
    made = cupsGetOption("printer-uri-supported", dest->num_options, dest->options) != nullptr;
    if (device) httpClose(device);
  }
  cupsFreeDests(1, dest);
  return made;
}

class CupsPrintSystem : public PrintSystem {
 public:
  PrinterStatus printer(const QString& name) override {
    Connection http;
    if (!http.get()) return {PrinterStatus::Reach::NoConnection, false, false, lastError()};
    const PrinterStatus status = ask(http.get(), name);
    if (status.reach == PrinterStatus::Reach::NoPrinter && makeQueueFor(http.get(), name)) return ask(http.get(), name);
    return status;
  }

 private:
  static PrinterStatus ask(http_t* http, const QString& name) {
    // A destination is a printer or a class of printers.
    for (const char* kind : {"printers", "classes"}) {
      ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
      const QByteArray uri = destinationUri(name, kind);
      ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.constData());
      static const char* const wanted[] = {"printer-state", "printer-state-message", "printer-state-reasons",
                                           "printer-is-accepting-jobs"};
      ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 4, nullptr, wanted);
      ipp_t* response = cupsDoRequest(http, request, "/");
      const ipp_status_t status = response ? ippGetStatusCode(response) : cupsLastError();
      if (status == IPP_STATUS_ERROR_NOT_FOUND) {
        ippDelete(response);
        continue;
      }
      if (!response || status > IPP_STATUS_OK_CONFLICTING) {
        const QString why = lastError();
        ippDelete(response);
        return {PrinterStatus::Reach::NoConnection, false, false, why};
      }
      PrinterStatus s;
      ipp_attribute_t* accepting = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
      s.accepting = !accepting || ippGetBoolean(accepting, 0);
      ipp_attribute_t* state = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM);
      s.stopped = state && ippGetInteger(state, 0) == IPP_PSTATE_STOPPED;
      s.message = text(response, "printer-state-message");
      if (s.message.isEmpty()) s.message = reasons(response, "printer-state-reasons");
      ippDelete(response);
      return s;
    }
    return {PrinterStatus::Reach::NoPrinter, false, false, lastError()};
  }

 public:
  Submission submit(const QString& printer, const QString& title, const QByteArray& pdf,
                    const JobOptions& options) override {
    Connection http;
    if (!http.get()) return {0, lastError()};
    cups_option_t* list = nullptr;
    int count = 0;
    for (const auto& [name, value] : options) count = cupsAddOption(name.constData(), value.constData(), count, &list);
    const QByteArray dest = printer.toUtf8(), name = title.toUtf8();
    const int id = cupsCreateJob(http.get(), dest.constData(), name.constData(), count, list);
    cupsFreeOptions(count, list);
    if (id == 0) return {0, lastError()};
    auto fail = [&] {
      const QString why = lastError();
      cupsCancelJob2(http.get(), dest.constData(), id, 0);
      return Submission{0, why};
    };
    if (cupsStartDocument(http.get(), dest.constData(), id, name.constData(), CUPS_FORMAT_PDF, 1) !=
        HTTP_STATUS_CONTINUE)
      return fail();
    if (cupsWriteRequestData(http.get(), pdf.constData(), static_cast<size_t>(pdf.size())) != HTTP_STATUS_CONTINUE) {
      cupsFinishDocument(http.get(), dest.constData());
      return fail();
    }
    if (cupsFinishDocument(http.get(), dest.constData()) > IPP_STATUS_OK_CONFLICTING) return fail();
    return {id, {}};
  }

  JobState job(const QString&, int id, QString* message) override {
    Connection http;
    if (!http.get()) return JobState::Unknown;
    // By the job's own address, which serves a class of printers too.
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/jobs/%d", id);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    static const char* const wanted[] = {"job-state", "job-state-reasons", "job-printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    ipp_t* response = cupsDoRequest(http.get(), request, "/");
    if (!response || ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
      ippDelete(response);
      return JobState::Unknown;
    }
    ipp_attribute_t* state = ippFindAttribute(response, "job-state", IPP_TAG_ENUM);
    if (message) {
      *message = text(response, "job-printer-state-message");
      if (message->isEmpty()) *message = reasons(response, "job-state-reasons");
    }
    const int value = state ? ippGetInteger(state, 0) : 0;
    ippDelete(response);
    switch (value) {
      case IPP_JSTATE_PENDING: return JobState::Pending;
      case IPP_JSTATE_HELD: return JobState::Held;
      case IPP_JSTATE_PROCESSING: return JobState::Processing;
      case IPP_JSTATE_STOPPED: return JobState::Stopped;
      case IPP_JSTATE_CANCELED: return JobState::Canceled;
      case IPP_JSTATE_ABORTED: return JobState::Aborted;
      case IPP_JSTATE_COMPLETED: return JobState::Completed;
      default: return JobState::Unknown;
    }
  }

  void pause(int milliseconds) override {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
    // The status window is drawn meanwhile; the user's input waits.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
};

}  // namespace

PrintSystem& cupsPrintSystem() {
  static CupsPrintSystem system;
  return system;
}

}  // namespace velmora::preview
