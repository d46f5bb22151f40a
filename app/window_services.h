#pragma once
// The window's seam to the user and the desktop: the document actions'
// dialogs and message boxes (Prompter) plus the few desktop services the
// window calls. The real window uses QtWindowServices; GUI tests script it.
#include <string>

#include "document/prompter.h"

namespace velmora {

class WindowServices : public Prompter {
 public:
  // Opens a local document with the desktop's associated program, or a web
  // address in the browser; the outcome is not examined.
  virtual void openExternally(const std::string& urlOrPath) = 0;
  virtual void beep() = 0;
};

}  // namespace velmora
