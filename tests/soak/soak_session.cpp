#include "soak_session.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTabBar>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>

#include "app/choice_box.h"
#include "app/limited_line_edit.h"
#include "app/masked_edit.h"

namespace velmora::soak {
namespace {

std::deque<std::string> recentActions;
long currentStep = 0;
bool tracing = false;

std::string str(const QString& s) { return s.toStdString(); }

// "QLineEdit 'KeyWord'"; a widget without a name of ours is described by
// the nearest ancestor with one ("LimitedLineEdit in 'MainActor'").
std::string describe(const QObject* w) {
  if (!w) return "nothing";
  auto ours = [](const QObject* o) {
    return !o->objectName().isEmpty() && !o->objectName().startsWith(QLatin1String("qt_"));
  };
  std::string out = w->metaObject()->className();
  if (ours(w)) return out + " '" + str(w->objectName()) + "'";
  for (const QObject* p = w->parent(); p; p = p->parent())
    if (ours(p)) return out + " in '" + str(p->objectName()) + "'";
  return out;
}

std::string shortText(const QString& text) { return escapedForReport(text.toStdString(), 24); }

QString fromCodePoint(char32_t cp) { return QString::fromUcs4(&cp, 1); }

// Texts a user types or pastes: the form's own language, what its fields
// expect, and what they must refuse.
const char* const kPhrases[] = {
    "课题研究",
    "教育科学规划",
    "中小学",
    "语文教学改革",
    "张三",
    "李四",
    "北京市海淀区",
    "实验学校",
    "研究报告",
    "论文",
    "，",
    "。",
    "（一）",
    "、",
    "《教育研究》",
    "“引号”",
    "·",
    "—",
    "…",
    "€",
    "￥",
    "①②③",
    "Ⅳ",
    "㎡",
    "ü",
    "é",
    "ā",
    "ǎ",
    "ひらがな",
    "カタカナ",
    "Ж",
    "α",
    "　",
    "abc",
    "Hello world",
    "test@example.com",
    "x",
    "X",
    "0",
    "2024",
    "20240101",
    "12.5",
    ".",
    "..",
    "100081",
    "11010519491231002X",
    " ",
    "a b",
    "\\",
    "'",
    "\"",
    "<&>",
    "]]>",
    "%s%n",
    "-1",
    "+5",
    "1e5",
    "1,000",
    "１２３",
};
// Characters GBK has no place for.
const char* const kOutsideGbk[] = {
    "😀",      "👩‍👩‍👧",
    "𠀀",     "한국어",
    "ｱｲｳ",    "مرحبا",
    "\u00A0", "\u200B",
    "\u200D", "\uFEFF",
    "\uFFFD", "ﬁ",
    "\u2028", "\u2029",
    "\u0301", "\U0010FFFD",
    "\uE000",
};
// What a clipboard or a key may carry that no field may keep.
const char* const kControls[] = {"\x01", "\x07", "\x08", "\x0b", "\x0c",   "\x1b",  "\x7f",
                                 "\r",   "\n",   "\r\n", "\t",   "\u0085", "\u009F"};

struct CodeRange {
  char32_t first, last;
  int weight;
};
const CodeRange kRanges[] = {
    {0x20, 0x7E, 4},       {0x00, 0x1F, 1},       {0x7F, 0x9F, 1},     {0xA0, 0x24F, 1},    {0x370, 0x3FF, 1},
    {0x400, 0x4FF, 1},     {0x600, 0x6FF, 1},     {0x2000, 0x206F, 1}, {0x3000, 0x30FF, 1}, {0x3400, 0x4DBF, 1},
    {0x4E00, 0x9FFF, 4},   {0xAC00, 0xD7A3, 1},   {0xE000, 0xF8FF, 1}, {0xFF00, 0xFFEF, 1}, {0xFFF0, 0xFFFF, 1},
    {0x1F300, 0x1FAFF, 1}, {0x20000, 0x2A6DF, 1},
};

template <std::size_t N>
QString fromPool(const char* const (&pool)[N], std::size_t i) {
  return QString::fromUtf8(pool[i % N]);
}

struct KeyChoice {
  Qt::Key key;
  int modifiers;
  const char* text;  // what an X11 keyboard sends with it
  const char* name;
};
constexpr int S = Qt::ShiftModifier, C = Qt::ControlModifier, A = Qt::AltModifier, K = Qt::KeypadModifier;
const KeyChoice kKeys[] = {
    {Qt::Key_Return, 0, "\r", "Enter"},
    {Qt::Key_Enter, K, "\r", "keypad Enter"},
    {Qt::Key_Escape, 0, "\x1b", "Escape"},
    {Qt::Key_Tab, 0, "\t", "Tab"},
    {Qt::Key_Backtab, S, "", "Backtab"},
    {Qt::Key_Delete, 0, "\x7f", "Delete"},
    {Qt::Key_Backspace, 0, "\b", "Backspace"},
    {Qt::Key_Left, 0, "", "Left"},
    {Qt::Key_Right, 0, "", "Right"},
    {Qt::Key_Up, 0, "", "Up"},
    {Qt::Key_Down, 0, "", "Down"},
    {Qt::Key_Home, 0, "", "Home"},
    {Qt::Key_End, 0, "", "End"},
    {Qt::Key_PageUp, 0, "", "PageUp"},
    {Qt::Key_PageDown, 0, "", "PageDown"},
    {Qt::Key_Space, 0, " ", "Space"},
    {Qt::Key_F2, 0, "", "F2"},
    {Qt::Key_F4, 0, "", "F4"},
    {Qt::Key_Insert, 0, "", "Insert"},
    {Qt::Key_Left, S, "", "Shift+Left"},
    {Qt::Key_Right, S, "", "Shift+Right"},
    {Qt::Key_Up, S, "", "Shift+Up"},
    {Qt::Key_Down, S, "", "Shift+Down"},
    {Qt::Key_Home, S, "", "Shift+Home"},
    {Qt::Key_End, S, "", "Shift+End"},
    {Qt::Key_Left, C, "", "Ctrl+Left"},
    {Qt::Key_Right, C, "", "Ctrl+Right"},
    {Qt::Key_Home, C, "", "Ctrl+Home"},
    {Qt::Key_End, C, "", "Ctrl+End"},
    {Qt::Key_Backspace, C, "\b", "Ctrl+Backspace"},
    {Qt::Key_Delete, C, "\x7f", "Ctrl+Delete"},
    {Qt::Key_A, C, "a", "Ctrl+A"},
    {Qt::Key_C, C, "c", "Ctrl+C"},
    {Qt::Key_V, C, "v", "Ctrl+V"},
    {Qt::Key_X, C, "x", "Ctrl+X"},
    {Qt::Key_Z, C, "z", "Ctrl+Z"},
    {Qt::Key_Y, C, "y", "Ctrl+Y"},
    {Qt::Key_Z, C | S, "Z", "Ctrl+Shift+Z"},
    {Qt::Key_K, C, "k", "Ctrl+K"},
    {Qt::Key_Insert, S, "", "Shift+Insert"},
    {Qt::Key_Insert, C, "", "Ctrl+Insert"},
    {Qt::Key_Delete, S, "\x7f", "Shift+Delete"},
    {Qt::Key_Tab, C, "\t", "Ctrl+Tab"},
    {Qt::Key_PageDown, C, "", "Ctrl+PageDown"},
    {Qt::Key_PageUp, C, "", "Ctrl+PageUp"},
    {Qt::Key_Down, A, "", "Alt+Down"},
    {Qt::Key_Up, A, "", "Alt+Up"},
};

// The widgets a pointer is most often aimed at.
bool isInteractive(QWidget* w) {
  if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
      qobject_cast<QTabBar*>(w) || qobject_cast<QAbstractSlider*>(w))
    return true;
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w->parentWidget()); area && area->viewport() == w) return true;
  return w->objectName() == QLatin1String("Label41");
}

QWidget* inputOf(QWidget* w) {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area->viewport();
  return w;
}

}  // namespace

void note(std::string action) {
  action = "[" + std::to_string(currentStep) + "] " + action;
  if (tracing) std::printf("  %s\n", action.c_str());
  recentActions.push_back(std::move(action));
  if (recentActions.size() > 40) recentActions.pop_front();
}

void printRecentActions(std::FILE* out) {
  std::fprintf(out, "soak: the last actions:\n");
  for (const std::string& a : recentActions) std::fprintf(out, "  %s\n", a.c_str());
  std::fflush(out);
}

void setTrace(bool on) { tracing = on; }
void setCurrentStep(long step) { currentStep = step; }

Session::Session(std::uint64_t seed, const SoakConfig& config) : rng_(seed), config_(config) {
  recentActions.clear();
  // Nothing of an earlier session may change this one: a seed replays alone
  // exactly as it ran in a sequence.
  const std::filesystem::path run = std::filesystem::path(config.workDir) / "session";
  std::error_code ec;
  std::filesystem::remove_all(run, ec);
  std::filesystem::create_directories(run / "saves");
  std::filesystem::create_directories(run / "recovery");
  savesDir_ = (run / "saves").string();
  recoveryDir_ = (run / "recovery").string();
  // A modal window nobody scripted would wait for a user forever: the
  // watchdog, running in that window's own event loop, closes it and the
  // step fails. A context menu that runs its own loop is simply closed.
  watchdog_.setInterval(100);
  QObject::connect(&watchdog_, &QTimer::timeout, [this] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      unexpectedModal_ = describe(modal) + " \"" + str(modal->windowTitle()) + "\"";
      modal->close();
      modal->hide();
    }
    if (inContextMenu_)
      if (QWidget* popup = QApplication::activePopupWidget()) {
        note("  the context menu ran its own event loop: closed");
        popup->close();
      }
  });
  watchdog_.start();
  createWindow();
}

Session::~Session() {
  watchdog_.stop();
  window_.reset();
  settle();
}

int Session::pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }
bool Session::chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p; }

void Session::createWindow() {
  window_ = std::make_unique<MainWindow>(services_, nullptr, recoveryDir_);
  // Short delays let recovery copies be written while the typing goes on.
  const int idle[] = {0, 20, 200, MainWindow::kRecoveryIdleMs};
  const int chosen = idle[pick(4)];
  window_->setRecoveryDelays(chosen, std::max(10 * chosen, 100));
  window_->startUp({});
  window_->show();
  QApplication::setActiveWindow(window_.get());
  if (!QTest::qWaitForWindowExposed(window_.get())) note("the window was not exposed");
  settle();
  baseline_ = window_->state().record();
  note("new window, recovery delay " + std::to_string(chosen) + " ms");
}

// The window queues its rule messages after the event; deleteLater() of
// editors and popups happens here as in the event loop.
void Session::settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

void Session::clearScript() {
  auto& s = services_.script;
  for (const test::Shown& box : s.shown) note("  box " + box.kind + ": " + escapedForReport(box.text, 50));
  s.openAnswers.clear();
  s.saveAnswers.clear();
  s.confirmAnswers.clear();
  s.choiceAnswers.clear();
  s.shown.clear();
  s.proposedSaveNames.clear();
}

std::vector<IllegalValue> Session::illegalValues() const {
  return soak::illegalValues(window_->state().record(), &baseline_);
}

// ---- Text ----------------------------------------------------------------

QString Session::randomTypedText() {
  QString t;
  switch (pick(10)) {
    case 0:
    case 1:
    case 2:
    case 3:
      for (int n = 1 + pick(2); n > 0; --n) t += fromPool(kPhrases, pick(1000));
      break;
    case 4:
      for (int n = 1 + pick(20); n > 0; --n) t += QLatin1Char("0123456789."[pick(11)]);
      break;
    case 5:
      for (int n = 1 + pick(15); n > 0; --n) t += QLatin1Char("abcxyzABCXYZ@._-"[pick(16)]);
      break;
    case 6:
      for (int n = 1 + pick(3); n > 0; --n) t += fromPool(kOutsideGbk, pick(1000));
      break;
    case 7: t = chance(0.5) ? QStringLiteral("11010519491231002x") : QStringLiteral("2024123"); break;
    case 8: t = fromPool(kControls, pick(1000)); break;
    default: {
      const QString phrase = fromPool(kPhrases, pick(1000));
      while (t.size() < 40 + pick(120)) t += phrase;
    }
  }
  return t;
}

QString Session::randomPasteText() {
  QString t;
  switch (pick(12)) {
    case 0:
      for (int n = 1 + pick(5); n > 0; --n) t += fromPool(kPhrases, pick(1000));
      break;
    case 1:  // far more than any field holds
      for (int n = 100 + pick(12000); n > 0; --n) t += QChar(static_cast<char16_t>(0x4E00 + pick(0x9FA5 - 0x4E00)));
      break;
    case 2:
      for (int n = 50 + pick(12000); n > 0; --n) t += QLatin1Char(static_cast<char>(0x20 + pick(0x5F)));
      break;
    case 3:
      for (int n = 1 + pick(40); n > 0; --n) t += QLatin1Char("0123456789."[pick(11)]);
      break;
    case 4: {  // lines, with every kind of line break
      const char* const breaks[] = {"\n", "\r\n", "\r", "\n\n", "\u2029"};
      for (int n = 2 + pick(30); n > 0; --n) {
        t += fromPool(kPhrases, pick(1000));
        if (chance(0.3)) t += fromPool(kPhrases, pick(1000)).repeated(1 + pick(40));
        t += QString::fromUtf8(breaks[pick(5)]);
      }
      break;
    }
    case 5:
      for (int n = 1 + pick(10); n > 0; --n)
        t += chance(0.5) ? fromPool(kControls, pick(1000)) : fromPool(kPhrases, pick(1000));
      t += QChar(u'\0');
      break;
    case 6:
      for (int n = 1 + pick(10); n > 0; --n)
        t += chance(0.5) ? fromPool(kOutsideGbk, pick(1000)) : fromPool(kPhrases, pick(1000));
      break;
    case 7: {
      int total = 0;
      for (const CodeRange& r : kRanges) total += r.weight;
      for (int n = 1 + pick(200); n > 0; --n) {
        int w = pick(total);
        for (const CodeRange& r : kRanges) {
          if (w < r.weight) {
            t += fromCodePoint(r.first + static_cast<char32_t>(pick(static_cast<int>(r.last - r.first) + 1)));
            break;
          }
          w -= r.weight;
        }
      }
      break;
    }
    case 8: break;  // an empty clipboard
    case 9: {
      const char* const shaped[] = {
          "11010519491231002X", "11010519491231002x", "20240101", "202612", "1234.50", "1,234", "-5", " 12 ", "１２３",
          "123456789012",       "1234-5678-9012",     "0.0.0"};
      t = QString::fromUtf8(shaped[pick(12)]);
      break;
    }
    case 10:
      for (int n = 1 + pick(20); n > 0; --n) t += QString::fromUtf8(pick(2) ? " " : pick(2) ? "\t" : "\u3000");
      break;
    default:
      for (int n = 100 + pick(3000); n > 0; --n) {
        switch (pick(3)) {
          case 0: t += fromPool(kPhrases, pick(1000)); break;
          case 1: t += fromPool(kControls, pick(1000)); break;
          default: t += fromPool(kOutsideGbk, pick(1000));
        }
      }
  }
  return t;
}

// ---- Delivering input ----------------------------------------------------

// Keys go where a keyboard's would: the grabber, an open popup, the focus
// window's focus widget (QTest picks them in that order); with nothing
// focused, to the main window.
QWidget* Session::keyTarget() const {
  if (QWidget::keyboardGrabber() || QApplication::activePopupWidget() || QGuiApplication::focusWindow() ||
      QApplication::focusWidget())
    return nullptr;
  return window_.get();
}

void Session::sendKey(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text) {
  QTest::sendKeyEvent(QTest::Click, keyTarget(), key, text, modifiers);
}

void Session::typeText(const QString& text) {
  for (int i = 0; i < text.size(); ++i) {
    const int len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString ch = text.mid(i, len);
    i += len - 1;
    const char16_t u = ch.at(0).unicode();
    const bool ascii = len == 1 && u >= 0x20 && u < 0x7F;
    const int key = ascii ? QChar(u).toUpper().unicode() : 0;
    const bool shifted = ascii && QChar(u).isUpper();
    sendKey(static_cast<Qt::Key>(key), shifted ? Qt::ShiftModifier : Qt::NoModifier, ch);
  }
}

// A click where a pointer would make it: through the window system, so that
// the widget under the point gets it and an open popup closes when the click
// is outside it.
bool Session::click(QWidget* w, QPoint local, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                    bool doubleClick) {
  QWidget* top = w->window();
  QWindow* handle = top->windowHandle();
  if (!handle || !top->isVisible()) return false;
  QPoint p = w->mapTo(top, local);
  if (!top->rect().contains(p)) return false;
  if (p.isNull()) p = QPoint(1, 1);  // QTest takes (0, 0) for "the middle"
  QWidget* under = top->childAt(p);
  note(std::string(doubleClick ? "double-click" : "click") + (button == Qt::MiddleButton ? " (middle)" : "") +
       (modifiers & Qt::ShiftModifier ? " (shift)" : "") + (modifiers & Qt::ControlModifier ? " (ctrl)" : "") + " at " +
       std::to_string(p.x()) + "," + std::to_string(p.y()) + " on " + describe(under ? under : top));
  if (doubleClick)
    QTest::mouseDClick(handle, button, modifiers, p);
  else
    QTest::mouseClick(handle, button, modifiers, p);
  return true;
}

bool Session::clickSomewhere(QWidget* w) {
  if (w->width() <= 0 || w->height() <= 0) return false;
  return click(w, QPoint(pick(w->width()), pick(w->height())));
}

// Brings the page holding `w` to the front by clicking its tab.
bool Session::showPageOf(QWidget* w) {
  QTabWidget* pages = window_->pages();
  for (int i = 0; i < pages->count(); ++i) {
    if (!pages->widget(i)->isAncestorOf(w)) continue;
    if (pages->currentIndex() != i) {
      const QRect tab = pages->tabBar()->tabRect(i);
      click(pages->tabBar(), tab.topLeft() + QPoint(1 + pick(tab.width() - 2), 1 + pick(tab.height() - 2)));
      settle();
    }
    break;
  }
  return w->isVisible() && w->isEnabled();
}

// ---- Actions -------------------------------------------------------------

void Session::actType() {
  const QString t = randomTypedText();
  note("type " + shortText(t) + " into " + describe(QApplication::focusWidget()));
  typeText(t);
}

void Session::actKey() {
  const KeyChoice& k = kKeys[pick(static_cast<int>(std::size(kKeys)))];
  QString text = QString::fromLatin1(k.text);
  // Keyboards differ in the text they send with control keys: none, the
  // letter, or the control character.
  if (k.modifiers & C && k.key >= Qt::Key_A && k.key <= Qt::Key_Z) {
    const int v = pick(3);
    text = v == 0 ? QString() : v == 1 ? text : QString(QChar(static_cast<char16_t>(k.key - Qt::Key_A + 1)));
  } else if (!text.isEmpty() && chance(0.3)) {
    text.clear();
  }
  const int times = chance(0.15) ? 2 + pick(12) : 1;
  note(std::string("key ") + k.name + (times > 1 ? " x" + std::to_string(times) : "") + " to " +
       describe(QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget()));
  for (int i = 0; i < times; ++i) sendKey(k.key, Qt::KeyboardModifiers(k.modifiers), text);
}

// Text from an input method: a pre-edit string, then the committed text,
// sometimes replacing characters before the cursor.
void Session::actInputMethod() {
  QPointer<QWidget> w = QApplication::focusWidget();
  if (!w || !w->testAttribute(Qt::WA_InputMethodEnabled)) {
    note("input method: the focus takes none");
    return;
  }
  const QString preedit = QStringLiteral("keti yanjiu").left(1 + pick(11));
  QString commit = chance(0.8) ? randomTypedText() : randomPasteText();
  if (chance(0.1)) commit.clear();  // the user withdrew the pre-edit
  int start = 0, length = 0;
  if (chance(0.2)) {
    start = -pick(3);
    length = pick(3);
  }
  note("input method commits " + shortText(commit) + " (replacing " + std::to_string(start) + "," +
       std::to_string(length) + ") into " + describe(w));
  {
    QList<QInputMethodEvent::Attribute> attributes{
        {QInputMethodEvent::Cursor, static_cast<int>(preedit.size()), 1, {}}};
    QInputMethodEvent e(preedit, attributes);
    QApplication::sendEvent(w, &e);
  }
  if (!w) return;
  QInputMethodEvent e;
  e.setCommitString(commit, start, length);
  QApplication::sendEvent(w, &e);
}

void Session::actClick() {
  QWidget* popup = QApplication::activePopupWidget();
  QWidget* top = popup && chance(0.7) ? popup : window_.get();
  QList<QWidget*> any, interactive;
  for (QWidget* w : top->findChildren<QWidget*>()) {
    if (!w->isVisible() || !w->isEnabled() || w->window() != top || w->width() <= 0 || w->height() <= 0) continue;
    any.push_back(w);
    if (isInteractive(w)) interactive.push_back(w);
  }
  if (any.isEmpty()) any.push_back(top);
  const QList<QWidget*>& from = chance(0.75) && !interactive.isEmpty() ? interactive : any;
  QWidget* w = from.at(pick(static_cast<int>(from.size())));
  const QPoint p(pick(w->width()), pick(w->height()));
  const int variant = pick(100);
  if (variant < 82)
    click(w, p);
  else if (variant < 90)
    click(w, p, Qt::LeftButton, Qt::NoModifier, true);
  else if (variant < 94)
    click(w, p, Qt::LeftButton, Qt::ShiftModifier);
  else if (variant < 97)
    click(w, p, Qt::LeftButton, Qt::ControlModifier);
  else
    click(w, p, Qt::MiddleButton);
}

void Session::actClickField() {
  const auto fields = allFields();
  const FieldDef& d = fields[pick(static_cast<int>(fields.size()))];
  if (!isUserField(d.id)) return;
  QWidget* w = window_->findChild<QWidget*>(QString::fromUtf8(d.name.data(), static_cast<int>(d.name.size())));
  if (!w || !showPageOf(w)) {
    note(std::string(d.name) + " is not on show");
    return;
  }
  clickSomewhere(inputOf(w));
}

void Session::actSwitchPage() {
  QTabWidget* pages = window_->pages();
  const int i = pick(pages->count());
  if (chance(0.8)) {
    const QRect tab = pages->tabBar()->tabRect(i);
    click(pages->tabBar(), tab.topLeft() + QPoint(pick(tab.width()), pick(tab.height())));
  } else {
    note("page " + std::to_string(i + 1) + " made current");
    pages->setCurrentIndex(i);
  }
}

void Session::actPaste() {
  if (chance(0.4)) actClickField();
  const QString t = randomPasteText();
  QApplication::clipboard()->setText(t);
  const bool shiftInsert = chance(0.25);
  note(std::string("paste with ") + (shiftInsert ? "Shift+Insert " : "Ctrl+V ") + shortText(t) + " into " +
       describe(QApplication::focusWidget()));
  if (shiftInsert)
    sendKey(Qt::Key_Insert, Qt::ShiftModifier, {});
  else
    sendKey(Qt::Key_V, Qt::ControlModifier, pick(2) ? QStringLiteral("v") : QStringLiteral("\x16"));
}

// A context menu requested with the mouse, sent to the widget under the
// point as the window system's would be; a menu that opens stays open for
// the next clicks and keys.
void Session::actContextMenu() {
  QWidget* top = window_.get();
  const QPoint p(pick(top->width()), pick(top->height()));
  QWidget* under = top->childAt(p);
  if (!under) under = top;
  if (!under->isEnabled()) return;
  const QPoint local = under->mapFrom(top, p);
  note("context menu at " + std::to_string(p.x()) + "," + std::to_string(p.y()) + " on " + describe(under));
  QContextMenuEvent e(QContextMenuEvent::Mouse, local, under->mapToGlobal(local));
  inContextMenu_ = true;
  QApplication::sendEvent(under, &e);
  inContextMenu_ = false;
}

// Text or a document dragged in from another program and dropped: to the
// first widget under the point that takes drops, as the window system does.
void Session::actDrop() {
  QWidget* top = window_.get();
  const QPoint p(pick(top->width()), pick(top->height()));
  QWidget* target = top->childAt(p);
  if (!target) target = top;
  while (target && !target->acceptDrops() && !target->isWindow()) target = target->parentWidget();
  if (!target || !target->acceptDrops() || !target->isEnabled()) {
    note("drop at " + std::to_string(p.x()) + "," + std::to_string(p.y()) + ": nothing takes it");
    return;
  }
  auto data = std::make_unique<QMimeData>();
  const bool document = chance(0.4);
  if (document) {
    const QString path = documentAnswer();
    data->setUrls({QUrl::fromLocalFile(path)});
    services_.script.choiceAnswers.push_back(static_cast<Answer>(pick(3)));
    services_.script.saveAnswers.push_back(savePathAnswer());
    note("drop document " + str(path) + " on " + describe(target));
  } else {
    const QString t = randomPasteText();
    data->setText(t);
    note("drop text " + shortText(t) + " on " + describe(target));
  }
  // Each event starts with the answer the one before it got, as Qt's own
  // drag handling passes it on.
  const QPoint local = target->mapFrom(top, p);
  const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
  QPointer<QWidget> guard = target;
  QDragEnterEvent enter(local, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
  enter.setDropAction(Qt::CopyAction);
  QApplication::sendEvent(target, &enter);
  if (!guard || !enter.isAccepted()) return;
  QDragMoveEvent move(local, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
  move.setDropAction(Qt::CopyAction);
  move.setAccepted(true);
  QApplication::sendEvent(target, &move);
  if (!guard || !move.isAccepted()) return;
  QDropEvent drop(local, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
  drop.setDropAction(Qt::CopyAction);
  drop.setAccepted(true);
  QApplication::sendEvent(target, &drop);
  settle();  // a dropped document opens once the drop is over
  if (document) baseline_ = window_->state().record();
}

void Session::actCheck() {
  if (chance(0.8)) {
    clickSomewhere(window_->findChild<QWidget*>(QStringLiteral("verifydata")));
  } else {
    note("check run by program");
    window_->runCheck();
  }
}

void Session::actProblemLine() {
  auto* list = window_->findChild<QListWidget*>(QStringLiteral("verifylist"));
  if (list->count() == 0) {
    note("problem list empty: check");
    clickSomewhere(window_->findChild<QWidget*>(QStringLiteral("verifydata")));
    return;
  }
  QListWidgetItem* item = list->item(pick(list->count()));
  list->scrollToItem(item);
  const QRect r = list->visualItemRect(item).intersected(list->viewport()->rect());
  if (r.isEmpty()) return;
  click(list->viewport(), r.topLeft() + QPoint(pick(r.width()), pick(r.height())));
}

QString Session::documentAnswer() {
  const int v = pick(100);
  if (v < 5) return QString::fromStdString(savesDir_ + "/no-such-document.xdx");
  if (v < 8) return QString::fromStdString(savesDir_);
  if (v < 55 && !saved_.empty()) return QString::fromStdString(saved_[pick(static_cast<int>(saved_.size()))]);
  if (config_.documents.empty()) return QString::fromStdString(savesDir_ + "/no-such-document.xdx");
  return QString::fromStdString(config_.documents[pick(static_cast<int>(config_.documents.size()))]);
}

// What the save dialog answers: a new file, one saved before, a name without
// extension, a folder that does not exist, a folder, or Cancel ("").
std::string Session::savePathAnswer() {
  const int v = pick(100);
  if (v < 15) return {};
  if (v < 30 && !saved_.empty()) return saved_[pick(static_cast<int>(saved_.size()))];
  if (v < 35) return savesDir_ + "/missing/saved.xdx";
  if (v < 38) return savesDir_;
  const std::string name = savesDir_ + "/saved-" + std::to_string(saves_++ % 20);
  return v < 45 ? name : name + ".xdx";
}

void Session::actOpen() {
  auto& s = services_.script;
  const int answer = pick(10);
  s.choiceAnswers.push_back(answer < 3 ? Answer::Yes : answer < 8 ? Answer::No : Answer::Cancel);
  if (answer < 3) {
    const std::string path = savePathAnswer();
    if (!path.empty()) s.saveAnswers.push_back(path);
  }
  if (chance(0.15))
    s.openAnswers.push_back(std::nullopt);
  else
    s.openAnswers.push_back(documentAnswer().toStdString());
  note("open: answers " +
       std::string(answer < 3   ? "Yes"
                   : answer < 8 ? "No"
                                : "Cancel") +
       ", " + (s.openAnswers.back() ? *s.openAnswers.back() : std::string("cancel")));
  if (chance(0.85)) {
    clickSomewhere(window_->findChild<QWidget*>(QStringLiteral("openxmlfile")));
  } else {
    note("open run by program");
    window_->askAndOpenDocument();
  }
  settle();
  baseline_ = window_->state().record();
}

void Session::actSave() {
  const std::string path = savePathAnswer();
  if (!path.empty()) services_.script.saveAnswers.push_back(path);
  note("save: answers " + (path.empty() ? std::string("cancel") : path));
  clickSomewhere(window_->findChild<QWidget*>(QStringLiteral("savexmlfile")));
}

// The three fields a save needs, typed as a user would, so that saves and
// the documents they write come about.
void Session::actFillRequired() {
  note("fill in the fields a save needs");
  const std::pair<const char*, QString> values[] = {
      {"ProjectName", fromPool(kPhrases, pick(1000)) + QStringLiteral("研究")},
      {"Presider", QStringLiteral("张三")},
      {"ContactMail", QStringLiteral("zs@example.cn")},
  };
  for (const auto& [name, value] : values) {
    auto* w = window_->findChild<QLineEdit*>(QString::fromLatin1(name));
    if (!w || !showPageOf(w)) continue;
    clickSomewhere(w);
    sendKey(Qt::Key_A, Qt::ControlModifier, {});
    typeText(value);
    settle();
  }
}

void Session::actSideButton(const char* name) {
  clickSomewhere(window_->findChild<QWidget*>(QString::fromLatin1(name)));
}

// Closing the window: the question whether to save first is answered; when
// the window does close, a new one takes its place.
void Session::actClose() {
  const bool save = chance(0.5);
  services_.script.confirmAnswers.push_back(save);
  const std::string path = savePathAnswer();
  if (!path.empty()) services_.script.saveAnswers.push_back(path);
  note(std::string("close the window: save first ") + (save ? "Yes, " + (path.empty() ? "cancel" : path) : "No"));
  if (!window_->close()) {
    note("  the window stays open");
    return;
  }
  settle();
  window_.reset();
  settle();
  createWindow();
}

void Session::step() {
  struct Action {
    int weight;
    void (Session::*run)();
  };
  static const Action kActions[] = {
      {180, &Session::actType},  {220, &Session::actKey},        {40, &Session::actInputMethod},
      {160, &Session::actClick}, {120, &Session::actClickField}, {50, &Session::actSwitchPage},
      {90, &Session::actPaste},  {15, &Session::actContextMenu}, {15, &Session::actDrop},
      {30, &Session::actCheck},  {30, &Session::actProblemLine}, {15, &Session::actOpen},
      {15, &Session::actSave},   {7, &Session::actFillRequired}, {4, &Session::actClose},
  };
  int total = 4;  // the help and print buttons
  for (const Action& a : kActions) total += a.weight;
  int w = pick(total);
  bool done = false;
  for (const Action& a : kActions) {
    if (w < a.weight) {
      (this->*a.run)();
      done = true;
      break;
    }
    w -= a.weight;
  }
  if (!done) actSideButton(w < 2 ? "helpinfo" : "printreport");
  settle();
  // Documents the saves wrote become answers of the open dialog.
  std::error_code ec;
  std::vector<std::string> appeared;
  for (const auto& entry : std::filesystem::directory_iterator(savesDir_, ec)) {
    const std::string path = entry.path().string();
    if (entry.is_regular_file() && std::find(saved_.begin(), saved_.end(), path) == saved_.end())
      appeared.push_back(path);
  }
  std::sort(appeared.begin(), appeared.end());  // the folder's order is the file system's
  saved_.insert(saved_.end(), appeared.begin(), appeared.end());
  clearScript();
}

}  // namespace velmora::soak
