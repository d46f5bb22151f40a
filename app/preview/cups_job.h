#pragma once
// Sending a PDF document to a printer of the print system (CUPS) and finding
// out what became of it. The few calls into libcups sit behind
// `PrintSystem`, so that what the user is told about a job is decided apart
// from the print system, and tested without one.
#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace velmora::preview {

// A job's options as CUPS takes them: name and value, in order.
using JobOptions = std::vector<std::pair<QByteArray, QByteArray>>;

// What the print dialog asked of the job.
struct JobChoices {
  enum class Sides { One, LongEdge, ShortEdge };
  int copies = 1;
  bool collate = true;
  bool reverse = false;
  Sides sides = Sides::One;
  QByteArray media;       // the paper's name as the printer knows it ("A4"); empty: the printer's own
  QByteArray pageRanges;  // "1,3,5-7"; empty: every page of the document
  JobOptions further;     // other options the dialog set (job hold, priority, banners)
};

// The options that ask CUPS for `choices`. A choice the program has made
// itself is left out of `further`: the caller passes only what CUPS is to do.
JobOptions cupsOptions(const JobChoices& choices);

// A printer as the print system reports it.
struct PrinterStatus {
  enum class Reach {
    Reached,       // the printer answered
    NoConnection,  // no print system to talk to
    NoPrinter,     // the print system has no such printer
  };
  Reach reach = Reach::Reached;
  bool accepting = true;  // printer-is-accepting-jobs
  bool stopped = false;   // printer-state "stopped" (paused)
  QString message;        // printer-state-message, or why nothing was reached
};

enum class JobState { Pending, Held, Processing, Stopped, Canceled, Aborted, Completed, Unknown };

struct Submission {
  int job = 0;    // the job's id; 0 when it was not created
  QString error;  // why not
};

// The print system's calls the preview makes. `cupsPrintSystem()` is the real
// one; tests put one of their own in its place.
class PrintSystem {
 public:
  virtual ~PrintSystem() = default;
  virtual PrinterStatus printer(const QString& name) = 0;
  // Creates a job under `title` and sends `pdf` as its one document.
  virtual Submission submit(const QString& printer, const QString& title, const QByteArray& pdf,
                            const JobOptions& options) = 0;
  // The job's state now; `message` gets the reason the print system gives.
  virtual JobState job(const QString& printer, int id, QString* message) = 0;
  // Lets time pass between two looks at a job.
  virtual void pause(int milliseconds) = 0;
};

// The print system of the machine, through libcups (the server libcups
// finds: CUPS_SERVER, the client configuration or the local socket).
PrintSystem& cupsPrintSystem();

// How long a job is watched after sending: a job that a filter or backend
// refuses is aborted within this time, while a job that prints takes longer
// and is left to the printer once it is in hand.
inline constexpr int kJobWatchMilliseconds = 2000;
inline constexpr int kJobWatchStep = 100;

// What happened to a job, as the user is told.
struct PrintOutcome {
  enum class Kind {
    Sent,    // the printer has it; nothing to say
    Queued,  // the printer is paused: the job waits for it (an information box)
    Failed,  // nothing will print (an error box)
  };
  Kind kind = Kind::Sent;
  QString text;  // the box's text
};

// The failures every way of printing tells alike: the printer is gone, or
// it did not take the job (`reason` as the system gives it; may be empty).
PrintOutcome noSuchPrinter(const QString& printer);
PrintOutcome notReceived(const QString& printer, const QString& reason);

// Checks that the printer is there and accepts jobs, sends the document and
// watches the job for kJobWatchMilliseconds: aborted or cancelled is a
// failure, a paused printer queues it. Each text names the printer and the
// reason the print system gives.
PrintOutcome sendToPrinter(PrintSystem& system, const QString& printer, const QString& title, const QByteArray& pdf,
                           const JobOptions& options);

}  // namespace velmora::preview
