// Speed of the window: creating it and opening the largest application, what
// the recovery copy costs the typing, and what a key costs in the longest texts.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "app/long_text_edit.h"
#include "app/main_window.h"
#include "app/null_window_services.h"
#include "app/window_fonts.h"
#include "app/window_palette.h"
#include "bench/hostile_documents.h"
#include "bench/maximal_record.h"
#include "check/completeness_check.h"
#include "format/atomic_file.h"
#include "format/xdx_writer.h"

namespace {

using NoDialogs = velmora::NullWindowServices;

void CreateWindowAndOpen(benchmark::State& state, const velmora::Record& r) {
  const std::string path = "/tmp/velmora-window-bench-" + std::to_string(::getpid()) + ".xdx";
  std::string error;
  velmora::writeFileAtomically(path, velmora::buildXdx(r, velmora::completenessProblems(r)), error);
  NoDialogs services;
  for (auto _ : state) {
    velmora::MainWindow window(services);
    window.startUp({QString::fromStdString(path)});
    if (window.state().record().text(velmora::Field::SN) != "BJA110012") state.SkipWithError("open failed");
    window.state().setModified(false);
  }
  ::unlink(path.c_str());
}
void CreateWindowAndOpenMaximal(benchmark::State& state) {
  CreateWindowAndOpen(state, velmora::bench::maximalRecord());
}
BENCHMARK(CreateWindowAndOpenMaximal)->Unit(benchmark::kMillisecond);
// The largest document a user can make (bench/make_largest_document.cpp).
void CreateWindowAndOpenLargest(benchmark::State& state) {
  CreateWindowAndOpen(state, velmora::bench::largestLegalRecord());
}
BENCHMARK(CreateWindowAndOpenLargest)->Unit(benchmark::kMillisecond);

// The worst text a document can hold for the window: one word as long as a
// long text may be (200 000 characters), laid out at opening (a word of a
// megabyte took minutes when every line looked for the word's end).
void OpenTheLongestWord(benchmark::State& state) {
  const std::string path = "/tmp/velmora-window-bench-word-" + std::to_string(::getpid()) + ".xdx";
  velmora::Record r = velmora::bench::maximalRecord();
  r.setLines(velmora::Field::ProjectAnalyze, {std::string(199999, 'x')});
  std::string error;
  velmora::writeFileAtomically(path, velmora::buildXdx(r, {}), error);
  NoDialogs services;
  for (auto _ : state) {
    velmora::MainWindow window(services);
    window.startUp({QString::fromStdString(path)});
    if (window.state().record().lines(velmora::Field::ProjectAnalyze).size() < 200) state.SkipWithError("not laid out");
    window.state().setModified(false);
  }
  ::unlink(path.c_str());
}
BENCHMARK(OpenTheLongestWord)->Unit(benchmark::kMillisecond)->Iterations(3);

// The worst documents up to the size limit, opened in the window (shown, or
// refused with the error box): time and peak resident memory of this
// process while it opens one (peak_MB; the peak is reset before each).
void OpenHostileDocument(benchmark::State& state, const velmora::bench::HostileShape& shape) {
  const std::string path = velmora::bench::writeHostileDocument(shape);
  NoDialogs services;
  double peak = 0;
  for (auto _ : state) {
    velmora::bench::resetPeakMemory();
    {
      velmora::MainWindow window(services);
      window.startUp({QString::fromStdString(path)});
      window.state().setModified(false);
    }
    peak = std::max(peak, velmora::bench::peakMemoryMB());
  }
  state.counters["peak_MB"] = peak;
  ::unlink(path.c_str());
}

// The part of writing the recovery copy that runs on the user-interface
// thread (building the document and handing it to the writer) for the largest
// application. The target is well under 5 ms: the user must never feel it.
void RecoveryCopyOnTheUiThread(benchmark::State& state) {
  const std::string folder = "/tmp/velmora-recovery-bench-" + std::to_string(::getpid());
  NoDialogs services;
  {
    velmora::MainWindow window(services, nullptr, folder);
    window.state().replaceRecord(velmora::bench::maximalRecord());
    window.state().setModified(true);
    for (auto _ : state) window.writeRecoveryCopy();
    window.recovery().flush();
    window.state().setModified(false);  // the window drops its copy as it ends
  }
  ::rmdir(folder.c_str());
}
BENCHMARK(RecoveryCopyOnTheUiThread)->Unit(benchmark::kMillisecond);

// Typing into the longest texts: each key's time from the press to the end
// of the repaint it causes (as a user sees it), in the window's long text and
// in a bare QPlainTextEdit beside it holding the same text at the same width
// and font, in the same run, key for key. What the window adds to Qt's own
// editor is the ratio of the medians (`ratio`); the aim is a key's cost that
// does not grow with the text, within 1.5 times the bare editor.
//
// Run as well with the screen reader bridge on (bench/typing_with_screen_reader.sh):
// the target there is 16 ms at the 90th percentile.
struct TypingCase {
  const char* name;
  velmora::Field field;
  velmora::Lines lines;
  int cursorBlock;  // where the keys go in: the end of this paragraph
  // One round of keys, each a key code and its text; a round leaves the text
  // as it found it, so that the rounds can go on for ever.
  std::vector<std::pair<int, QString>> round;
};

// HuoYe as full as one-letter lines make it (11 092 of 11 100 bytes: a line
// break counts two), the most paragraphs a user can type into a text: the
// keys go into the middle one.
TypingCase mostLines() {
  velmora::Lines lines(3698, "a");
  return {"HuoYe_3698_lines",
          velmora::Field::AnonymousSheet,
          lines,
          1849,
          {{Qt::Key_B, QStringLiteral("b")},
           {Qt::Key_Backspace, QString()},
           {Qt::Key_Return, QStringLiteral("\r")},
           {Qt::Key_Backspace, QString()}}};
}

// ProjectReasoning nearly full (7 818 of 8 050 bytes) in ten long paragraphs
// of Chinese, which the field wraps into 100 lines: the keys go in at the
// end of the fifth, which is wrapped again by every key.
TypingCase longParagraphs() {
  static const char* kChars[] = {"设", "计", "论", "证", "研", "究", "内", "容", "方", "法"};
  velmora::Lines lines;
  for (int p = 0; p < 10; ++p) {
    std::string paragraph;
    for (int c = 0; c < 390; ++c) paragraph += kChars[(c + p) % 10];
    lines.push_back(paragraph);
  }
  return {"ProjectReasoning_10_paragraphs",
          velmora::Field::ProjectReasoning,
          lines,
          4,
          {{0, QStringLiteral("论")},
           {Qt::Key_Backspace, QString()},
           {Qt::Key_Return, QStringLiteral("\r")},
           {Qt::Key_Backspace, QString()}}};
}

// Follows one key through an editor: its press and release as the editor
// gets them, and the repaint of its viewport after the press. A screen
// reader's bridge holds every key the window system delivers until the
// accessibility registry has offered it to the screen reader, then posts
// it again: the key reaches the editor later, or not at all when the screen
// reader takes it.
class KeyWatch : public QObject {
 public:
  explicit KeyWatch(QPlainTextEdit* editor) {
    editor->installEventFilter(this);
    editor->viewport()->installEventFilter(this);
  }
  void expectKey() { pressed = released = painted = false; }
  bool pressed = false, released = false, painted = false;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) pressed = true;
    if (e->type() == QEvent::KeyRelease) released = true;
    if (e->type() == QEvent::Paint && pressed) painted = true;
    return false;
  }
};

// Handles events until `done` holds or a second has passed; whether it holds.
// The loop sleeps while nothing comes, as the program's own does (waiting
// busily took a core from the accessibility bus the key goes through); a
// timer wakes it now and then to look at the clock.
template <typename Done>
bool waitFor(Done done) {
  QElapsedTimer clock;
  clock.start();
  QTimer wake;
  wake.start(10);
  while (!done() && clock.elapsed() < 1000)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  return done();
}

// One key to `editor`, as a keyboard's comes through the window system
// (spontaneous, with the shortcut override first): milliseconds from the
// press to the end of the repaint it caused; negative when the key never
// reached the editor or caused no repaint within a second.
double timedKey(KeyWatch& watch, QPlainTextEdit* editor, int key, const QString& text) {
  using Clock = std::chrono::steady_clock;
  watch.expectKey();
  const auto start = Clock::now();
  QTest::sendKeyEvent(QTest::Press, editor, static_cast<Qt::Key>(key), text, Qt::NoModifier);
  QTest::sendKeyEvent(QTest::Release, editor, static_cast<Qt::Key>(key), text, Qt::NoModifier);
  const bool painted = waitFor([&] { return watch.painted; });
  const auto end = Clock::now();
  // The release is no part of the time, but must be through before the next key.
  const bool released = waitFor([&] { return watch.released; });
  return painted && released ? std::chrono::duration<double, std::milli>(end - start).count() : -1;
}

double quantile(std::vector<double> v, double q) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5)];
}

void putCursorAtEndOf(QPlainTextEdit* editor, int block) {
  QTextCursor c(editor->document()->findBlockByNumber(block));
  c.movePosition(QTextCursor::EndOfBlock);
  editor->setTextCursor(c);
}

void Keystroke(benchmark::State& state, const TypingCase& typing) {
  NoDialogs services;
  velmora::MainWindow window(services, nullptr, "/tmp/velmora-typing-bench-" + std::to_string(::getpid()));
  // The recovery copy has a benchmark of its own; here it must not fall
  // into the keys.
  window.setRecoveryDelays(3600 * 1000, 3600 * 1000);
  window.state().setLines(typing.field, typing.lines);
  window.refresh();
  auto* edit = window.findChild<velmora::LongTextEdit*>(QString::fromLatin1(velmora::fieldDef(typing.field).name));
  for (int page = 0; page < window.pages()->count(); ++page)
    if (window.pages()->widget(page)->isAncestorOf(edit)) window.pages()->setCurrentIndex(page);
  window.show();
  QApplication::setActiveWindow(&window);
  if (!QTest::qWaitForWindowExposed(&window)) state.SkipWithError("the window is not shown");
  edit->setFocus(Qt::MouseFocusReason);
  putCursorAtEndOf(edit, typing.cursorBlock);

  // The bare editor: Qt's own, with the long text's font, wrapping, width
  // and text, in a window of its own.
  QPlainTextEdit bare;
  bare.setFont(edit->font());
  bare.setWordWrapMode(edit->wordWrapMode());
  bare.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  bare.setFrameStyle(edit->frameStyle());
  bare.resize(edit->size());
  bare.setPlainText(edit->toPlainText());
  bare.show();
  if (!QTest::qWaitForWindowExposed(&bare)) state.SkipWithError("the bare editor is not shown");
  putCursorAtEndOf(&bare, typing.cursorBlock);

  // The window keeps the focus throughout (the bare editor is typed into
  // as it is): turning it from window to window let a window manager's late
  // focus events fall between the keys.
  QApplication::setActiveWindow(&window);
  edit->setFocus(Qt::MouseFocusReason);
  KeyWatch windowKeys(edit), bareKeys(&bare);
  std::vector<double> windowMs, bareMs;
  bool lost = false;
  auto typeRound = [&](QPlainTextEdit* editor, KeyWatch& watch, std::vector<double>* times) {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    double total = 0;
    for (const auto& [key, text] : typing.round) {
      const double ms = timedKey(watch, editor, key, text);
      lost = lost || ms < 0;
      total += ms;
      if (times) times->push_back(ms);
    }
    return total;
  };
  for (int warm = 0; warm < 3; ++warm) {
    typeRound(edit, windowKeys, nullptr);
    typeRound(&bare, bareKeys, nullptr);
  }
  const velmora::Lines before = window.state().record().lines(typing.field);
  const QString textBefore = edit->toPlainText();
  bool turn = false;
  for (auto _ : state) {
    // Taking turns, so that whatever else the machine does weighs on both.
    turn = !turn;
    double ms = 0;
    if (turn) {
      ms = typeRound(edit, windowKeys, &windowMs);
      typeRound(&bare, bareKeys, &bareMs);
    } else {
      typeRound(&bare, bareKeys, &bareMs);
      ms = typeRound(edit, windowKeys, &windowMs);
    }
    state.SetIterationTime(ms / 1000.0);
  }
  if (lost) {
    state.SkipWithError("a key did not reach its editor, or caused no repaint, within a second");
  } else if (edit->toPlainText() != textBefore) {
    state.SkipWithError("the keys did not leave the window's text as they found it");
  } else if (window.state().record().lines(typing.field) != before) {
    state.SkipWithError("the record's lines are not the field's");
  } else if (edit->toPlainText() != bare.toPlainText()) {
    state.SkipWithError("the keys did not leave the bare editor's text as they found it");
  }
  state.counters["lines"] = static_cast<double>(before.size());
  state.counters["window_median_ms"] = quantile(windowMs, 0.5);
  state.counters["window_p90_ms"] = quantile(windowMs, 0.9);
  state.counters["bare_median_ms"] = quantile(bareMs, 0.5);
  state.counters["bare_p90_ms"] = quantile(bareMs, 0.9);
  state.counters["ratio"] = quantile(windowMs, 0.5) / std::max(quantile(bareMs, 0.5), 1e-9);
  window.state().setModified(false);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  velmora::registerWindowFonts();
  velmora::useWindowStyle();
  for (const auto& shape : velmora::bench::hostileShapes())
    benchmark::RegisterBenchmark((std::string("OpenHostileDocument/") + shape.name).c_str(),
                                 [&shape](benchmark::State& s) { OpenHostileDocument(s, shape); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  static const TypingCase typingCases[] = {mostLines(), longParagraphs()};
  for (const TypingCase& typing : typingCases)
    benchmark::RegisterBenchmark((std::string("Keystroke/") + typing.name).c_str(),
                                 [&typing](benchmark::State& s) { Keystroke(s, typing); })
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(50);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
